#!/bin/sh
# A Kortvik plug-in in a few lines of shell: ask the running program for its
# server object, log in with a password, print the events heard, log out.
# Needs dbus-send and dbus-monitor (Debian package dbus-bin).
#
# usage: kortvik-login.sh PASSWORD
# Prints "doLogin: true|false", then each event as "onLogin PASSWORD USERID"
# or "onLogout PASSWORD USERID". Exits 0 after a login and logout, 1 when the
# login failed, 2 when Kortvik does not answer.
set -eu

password=${1:?usage: kortvik-login.sh PASSWORD}
service=org.kortvik.Kortvik
iface=org.kortvik.Kortvik.clsMainServer

# The server object's path, as the reference object hands it out
# ("object path /clsMainServer" in literal form).
if ! reply=$(dbus-send --session --print-reply=literal --dest=$service /clsMainServerReference \
        org.kortvik.Kortvik.clsMainServerReference.GetMainServerReference 2>&1); then
    echo "Kortvik does not answer: $reply" >&2
    exit 2
fi
server=${reply##* }

events=$(mktemp)
monitor=
cleanup() {
    [ -n "$monitor" ] && kill "$monitor" 2>/dev/null
    rm -f "$events"
}
trap cleanup EXIT

# Listen before logging in. dbus-monitor writes its first lines as soon as
# it is listening.
dbus-monitor --session "type='signal',path='$server',interface='$iface'" >"$events" 2>/dev/null &
monitor=$!
tries=0
while [ ! -s "$events" ]; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || { echo "dbus-monitor did not start" >&2; exit 2; }
    sleep 0.1
done

# doLogin answers when the login has ended, which may take a while.
result=$(dbus-send --session --print-reply=literal --reply-timeout=120000 --dest=$service "$server" \
    $iface.doLogin boolean:false string:"$password")
result=${result##* }
echo "doLogin: $result"

# Events in the order heard: "onLogin PASSWORD USERID".
heard() {
    awk '/ member=onLog(in|out)$/ { sub(/.*member=/, ""); event = $0; next }
         event != "" && $1 == "string" { sub(/^[^"]*"/, ""); sub(/"$/, ""); pw = $0; next }
         event != "" && $1 == "int32" { print event, pw, $2; event = "" }' "$events"
}

# Waits up to 10 s for an event line matching $1.
wait_for() {
    tries=0
    until heard | grep -q "^$1 "; do
        tries=$((tries + 1))
        [ $tries -le 100 ] || return 1
        sleep 0.1
    done
}

if [ "$result" != true ]; then
    exit 1
fi
wait_for onLogin || echo "no onLogin heard" >&2
dbus-send --session --print-reply --dest=$service "$server" $iface.doLogout >/dev/null
wait_for onLogout || echo "no onLogout heard" >&2
heard
