# The tray icon with its menu, and a notification of new iMails, as a desktop
# shows them: trayer is the tray host (XEmbed), dunst the notification service.
KORTVIK_PACKAGES=(trayer dunst fonts-dejavu-core)
kortvik_install_deps
trayer --edge top --align right --widthtype request --height 26 --tint 0x30343a --transparent true \
  --alpha 0 --SetDockType true --SetPartialStrut false >/dev/null 2>&1 &
tray_pid=$!
pids+=($tray_pid)
# Kortvik looks for an XEmbed tray once, at start: trayer must be up first
# (only a StatusNotifierItem host may come later).
for _ in $(seq 100); do xdotool search --class trayer >/dev/null 2>&1 && break; sleep 0.1; done
cat >"$work/dunstrc" <<'RC'
[global]
    font = DejaVu Sans 10
    format = "<b>%s</b>\n%b"
    width = 340
    origin = top-right
    offset = 12x40
    frame_width = 1
    frame_color = "#8a8f96"
    padding = 10
    horizontal_padding = 12
    show_indicators = no
[urgency_normal]
    background = "#30343a"
    foreground = "#ffffff"
    timeout = 0
RC
dunst -conf "$work/dunstrc" >/dev/null 2>&1 &
notify_pid=$!
pids+=($notify_pid)
settle 1

# Earlier scenes logged the member in: he has been told of his iMails.
rm -rf "$XDG_DATA_HOME/kortvik/notified"
start_kortvik >/dev/null
key ctrl+i
wait_window "Kortvik - Logga in" >/dev/null
type_text kalle
key Return
settle 3
shot tray-notification
# The tray icon is the right-most one of the tray at the top right.
read -r screen_w _ < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
xdotool mousemove $((screen_w - 13)) 13 click 3
settle 1
# The top right corner: the tray, its menu and the notification beside it.
shot_area tray-menu "430x150+$((screen_w - 430))+0"
key Escape
kill "$tray_pid" "$notify_pid" 2>/dev/null || true
