# The Arkiv menu while logged out, the password dialog after a wrong
# password, and the box when the site cannot be reached.

# main_area NAME: the main window's part of the screen, with what lies over it.
main_area() {
  local geo
  geo=$(xdotool getwindowgeometry --shell "$(wait_window "^Kortvik - Interface till ")")
  eval "$(grep -E '^(X|Y|WIDTH|HEIGHT)=' <<<"$geo")"
  shot_area "$1" "${WIDTH}x${HEIGHT}+${X}+${Y}"
}

start_kortvik >/dev/null
key alt+a
main_area menu-logged-out
key Escape
key ctrl+i
wait_window "Kortvik - Logga in" >/dev/null
type_text fel99
key Return
settle 2
shot login-wrong-password "Kortvik - Logga in"
key Escape
stop_kortvik

# Nothing listens on port 9 of this machine.
start_kortvik --site 127.0.0.1:9 >/dev/null
key ctrl+i
wait_window "Kortvik - Logga in" >/dev/null
type_text kalle
key Return
wait_window "^Inloggningen misslyckades$" >/dev/null
main_area login-unreachable
