# kortvik-imail beside the program, showing the demo member's inbox.
cp "$bin/kortvik-imail" "$prog/"
start_kortvik >/dev/null
key ctrl+i
focus "Kortvik - Logga in" >/dev/null
type_text kalle
key Return
settle 3
"$prog/kortvik-imail" >>"$work/kortvik-imail.log" 2>&1 &
imail_pid=$!
pids+=($imail_pid)
focus "Kortvik - iMails" >/dev/null
settle 1.5
shot imail-inbox "Kortvik - iMails"
kill "$imail_pid" 2>/dev/null || true
wait "$imail_pid" 2>/dev/null || true
