# The tray icon with the number of new iMails ("1" and "99+"), in a tray of
# 22 pixels and at a device pixel ratio of 2 (QT_SCALE_FACTOR=2 in a tray of
# 44 pixels); each shot also enlarged eight times, pixel for pixel.
KORTVIK_PACKAGES=(trayer curl fonts-dejavu-core)
kortvik_install_deps
# badge_tray HEIGHT: a tray host at the top right, up before the program.
badge_tray() {
  # The tray of an earlier scene or run is gone first.
  for _ in $(seq 50); do xdotool search --class trayer >/dev/null 2>&1 || break; sleep 0.1; done
  trayer --edge top --align right --widthtype request --height "$1" --tint 0x30343a --transparent true \
    --alpha 0 --SetDockType true --SetPartialStrut false >/dev/null 2>&1 &
  badge_tray_pid=$!
  pids+=($badge_tray_pid)
  for _ in $(seq 100); do xdotool search --class trayer >/dev/null 2>&1 && break; sleep 0.1; done
  settle 1
}
# badge_shot NAME SIZE: the right end of the tray, and the same enlarged.
badge_shot() {
  read -r screen_w _ < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
  shot_area "$1" "$(($2 * 2))x$2+$((screen_w - $2 * 2))+0"
  convert "$out/$1.png" -filter point -resize 800% "$out/$1-x8.png"
}
# inbox_put FILE: replaces the demo member's inbox (kalle, user id 1001).
inbox_put() {
  curl -s -o /dev/null -X PUT --data-binary @"$1" "http://$site/sim/inbox?uid=1001"
}
curl -s "http://$site/sim/inbox?uid=1001" >"$work/inbox-kalle.json"
{
  printf '['
  for i in $(seq 1 120); do
    [ "$i" -gt 1 ] && printf ','
    printf '{"mid":%d,"subject":"Nr %d","sentAt":"2026-12-09 10:%02d","isNew":true,"senderUid":1002,"senderName":"Anna Berg"}' \
      $((70000 + i)) "$i" $((i % 60))
  done
  printf ']'
} >"$work/inbox-many.json"

badge_tray 22
start_kortvik >/dev/null
login_member kalle
badge_shot tray-badge-22-one 22
inbox_put "$work/inbox-many.json"
settle 11 # the next iMail tick
badge_shot tray-badge-22-many 22
stop_kortvik
kill "$badge_tray_pid" 2>/dev/null || true

badge_tray 44
export QT_SCALE_FACTOR=2
start_kortvik >/dev/null
login_member kalle
badge_shot tray-badge-2x-many 44
inbox_put "$work/inbox-kalle.json"
settle 11
badge_shot tray-badge-2x-one 44
unset QT_SCALE_FACTOR
stop_kortvik
kill "$badge_tray_pid" 2>/dev/null || true
