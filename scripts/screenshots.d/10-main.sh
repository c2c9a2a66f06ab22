# The main window logged out, the password dialog, and logged in as a member.
start_kortvik >/dev/null
shot main-logged-out "^Kortvik - Interface"
key ctrl+i
wait_window "Kortvik - Logga in" >/dev/null
shot login-dialog "Kortvik - Logga in"
type_text kalle
key Return
settle 3
shot main-logged-in "^Kortvik - Interface"
