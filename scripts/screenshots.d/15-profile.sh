# The profile editor on each of its tabs and the local login options.
start_kortvik >/dev/null
login_member kalle
editor="Ändra dina inställningar på Sandlund"
focus "Kortvik - Interface" >/dev/null
key alt+i Right v
focus "$editor" >/dev/null
shot profile-editor-0 "$editor"
for tab in 1 2 3 4; do
  key ctrl+Tab
  shot "profile-editor-$tab" "$editor"
done
key Escape
settle
focus "Kortvik - Interface" >/dev/null
key alt+i Down Right i
focus "Lokala inställningar" >/dev/null
shot local-options "Lokala inställningar"
key Escape
