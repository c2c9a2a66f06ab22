# The desktop dialog ("Inställningar", "På datorn", "Skrivbord..."). This
# bus has no keyring, so its status line shows where the password goes.
start_kortvik >/dev/null
login_member kalle
focus "Kortvik - Interface" >/dev/null
key alt+i Down Right s
focus "^Skrivbord$" >/dev/null
shot desktop-options "^Skrivbord$"
key Escape
