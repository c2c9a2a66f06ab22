# Under a dark theme: the profile editor's knowledge tab, the help window
# beside the main window, and the About dialog. The theme is what a member
# outside KDE sets with qt6ct: Fusion with its "darker" colour scheme.
qt6ct_config="$XDG_CONFIG_HOME/qt6ct"
mkdir -p "$qt6ct_config"
cat >"$qt6ct_config/qt6ct.conf" <<EOF
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
EOF
export QT_QPA_PLATFORMTHEME=qt6ct

start_kortvik >/dev/null
login_member kalle
editor="Ändra dina inställningar på Sandlund"
focus "Kortvik - Interface" >/dev/null
key alt+i Right k
focus "$editor" >/dev/null
# A few levels, so that filled and empty bars show side by side.
key Tab Right Right Tab Right Right Right Right
shot dark-profile-knowledge "$editor"
key Escape
settle
focus "Kortvik - Interface" >/dev/null
key F1
focus "Kortvik - Hjälp" >/dev/null
shot dark-help-Rot "Kortvik - Hjälp"
key Right Down Return
shot dark-help-Vanligt "Kortvik - Hjälp"
# The help window beside the main window, as it opens.
shot dark-help-beside
key Escape
settle
focus "Kortvik - Interface" >/dev/null
key alt+h Down Return
focus "Om Kortvik" >/dev/null
shot dark-about "Om Kortvik"
key Escape
unset QT_QPA_PLATFORMTHEME
