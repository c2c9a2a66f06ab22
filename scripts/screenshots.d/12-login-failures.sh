# The Arkiv menu while logged out, the password dialog after a wrong
# password, and the box when the site cannot be reached.

# area_shot NAME: the main window's part of the screen, with what lies over it.
area_shot() {
  settle
  local id geo x y w h
  id=$(wait_window "^Kortvik - Interface till ")
  geo=$(xdotool getwindowgeometry --shell "$id")
  x=$(sed -n 's/^X=//p' <<<"$geo"); y=$(sed -n 's/^Y=//p' <<<"$geo")
  w=$(sed -n 's/^WIDTH=//p' <<<"$geo"); h=$(sed -n 's/^HEIGHT=//p' <<<"$geo")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$1.png"
  echo "  $out/$1.png"
}

start_kortvik >/dev/null
key alt+a
area_shot menu-logged-out
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
area_shot login-unreachable
