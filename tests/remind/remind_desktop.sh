#!/usr/bin/env bash
# The reminder and the calendar with the programs users have: a real
# notification server (dunst, printing what it gets) on a private D-Bus
# session under Xvfb, and the calendar imported into khal twice.
#   remind_desktop.sh GEARBOOK
# Exits 77 (skipped) when dunst, khal, Xvfb or dbus-run-session is missing.
set -euo pipefail
gearbook=$1
for tool in dunst dunstctl khal Xvfb dbus-run-session dbus-send; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
export HOME="$root/home" XDG_DATA_HOME="$root/data" XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
data="$XDG_DATA_HOME/Venbry Software/Gearshed/Data"
mkdir -p "$data"
day() { date -d "$1 days" +%Y-%m-%d; }
printf '"Van"\r\n' >"$data/MainList.gbx"
printf '"Oil change"\r\n"Chain"\r\n' >"$data/VanMaint.gbx"
printf '"","%s","","","Joe'"'"'s Garage","Synthetic"\r\n' "$(day -3)" >"$data/VanOil change.gbx"
printf '"","%s","","","",""\r\n' "$(day 200)" >"$data/VanChain.gbx"
fail() { echo "FAIL: $*"; exit 1; }

# The notification, end to end.
cat >"$root/session.sh" <<'INNER'
set -euo pipefail
Xvfb :$display -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
export DISPLAY=:$display
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
dunst -print >"$root/dunst.out" 2>/dev/null & dunst=$!
owner() { dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null | grep -q true; }
for _ in $(seq 100); do owner && break; sleep 0.05; done
# The "Open" starts Gearbook, which here ends after its first paint.
GEARBOOK_QUIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=offscreen "$gearbook" --remind >"$root/remind.out" 2>&1 &
remind=$!
for _ in $(seq 100); do grep -q "summary:" "$root/dunst.out" && break; sleep 0.05; done
dunstctl action 0
wait $remind && echo "status 0" >>"$root/remind.out" || echo "status $?" >>"$root/remind.out"
# A second run the same day tells nothing more.
"$gearbook" --remind >>"$root/remind.out" 2>&1
kill $dunst $xvfb
INNER
display=$((90 + RANDOM % 400))
root="$root" gearbook="$gearbook" display="$display" timeout 60 dbus-run-session -- bash "$root/session.sh" 2>/dev/null
grep -q "summary: '1 maintenance item due: Oil change (Van), overdue 3 days'" "$root/dunst.out" ||
    fail "summary: $(cat "$root/dunst.out")"
grep -q "body: 'Oil change (Van), overdue 3 days'" "$root/dunst.out" || fail "body"
grep -q '"default": "Open"' "$root/dunst.out" || fail "no Open action"
grep -q "desktop_entry: 'example.venbry.Gearbook'" "$root/dunst.out" || fail "no desktop entry"
[ "$(grep -c "summary:" "$root/dunst.out")" -eq 1 ] || fail "told twice in a day"
grep -q "Opening Gearbook." "$root/remind.out" || fail "Open did not start Gearbook: $(cat "$root/remind.out")"
grep -q "status 0" "$root/remind.out" || fail "$(cat "$root/remind.out")"
grep -q "^$(day 0)$" "$XDG_STATE_HOME/Venbry Software/Gearbook/reminded" || fail "the day told is not kept"

# The calendar in khal: the right day, the alarm, and no duplicates on a second import.
mkdir -p "$root/vdir/due"
cat >"$root/khal.conf" <<KHAL
[calendars]
[[due]]
path = $root/vdir/due
type = calendar
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
[sqlite]
path = $root/khal.db
KHAL
"$gearbook" --calendar "$root/due" >/dev/null
khal -c "$root/khal.conf" import --batch "$root/due.ics"
"$gearbook" --calendar "$root/due" >/dev/null
khal -c "$root/khal.conf" import --batch "$root/due.ics"
listed=$(khal -c "$root/khal.conf" list --day-format "" --format "{start-date}|{title}|{alarm-symbol}" \
    "$(day -30)" 400d)
expected="$(day -3)|Oil change — Van| ⏰
$(day 200)|Chain — Van| ⏰"
[ "$listed" = "$expected" ] || fail "khal lists:
$listed"
[ "$(find "$root/vdir/due" -name '*.ics' | wc -l)" -eq 2 ] || fail "duplicates after a second import"
grep -q "TRIGGER:-P7D" "$root/vdir/due"/*.ics || fail "no alarm a week before"
echo "1 passed, 0 failed"
