#!/usr/bin/env bash
# Draws docs/reminder.png: the reminder as a desktop shows it, sent by
# `Gearbook --remind` to a real notification server (dunst) on a private
# D-Bus session under Xvfb, with a sample vehicle. Builds nothing: it runs the
# Gearbook of an existing build (by default build/).
#   tools/screenshot-reminder.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
gearbook="$PWD/$build/stage/Gearbook"
[ -x "$gearbook" ] || { echo "$gearbook is missing: build the target Gearbook first" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
export HOME="$root/home" XDG_DATA_HOME="$root/data" XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state"
data="$XDG_DATA_HOME/Venbry Software/Gearshed/Data"
mkdir -p "$data" "$XDG_CONFIG_HOME/dunst"
day() { date -d "$1 days" +%Y-%m-%d; }
printf '"Van"\r\n"Car"\r\n' >"$data/MainList.gbx"
printf '"Oil change"\r\n' >"$data/VanMaint.gbx"
printf '"","%s","","","",""\r\n' "$(day -3)" >"$data/VanOil change.gbx"
printf '"Brakes"\r\n' >"$data/CarMaint.gbx"
printf '"","%s","","","",""\r\n' "$(day 5)" >"$data/CarBrakes.gbx"
# A look close to a desktop's: the summary in bold, the "Open" action shown.
cat >"$XDG_CONFIG_HOME/dunst/dunstrc" <<'CONF'
[global]
    width = 420
    origin = top-right
    offset = 0x0
    font = DejaVu Sans 10
    frame_width = 1
    padding = 10
    horizontal_padding = 12
    format = "<b>%s</b>\n%b"
    show_indicators = yes
    word_wrap = yes
[urgency_normal]
    background = "#f6f5f4"
    foreground = "#2e3436"
    frame_color = "#c0bfbc"
    timeout = 0
CONF
cat >"$root/session.sh" <<'INNER'
set -euo pipefail
Xvfb :$display -screen 0 420x200x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
export DISPLAY=:$display
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
dunst >/dev/null 2>&1 & dunst=$!
sleep 1
"$gearbook" --remind & remind=$!
sleep 1.5
import -window root "$root/root.png"
kill $remind $dunst $xvfb 2>/dev/null || true
INNER
root="$root" gearbook="$gearbook" display=$((500 + RANDOM % 400)) dbus-run-session -- bash "$root/session.sh"
convert "$root/root.png" -trim +repage docs/reminder.png
echo docs/reminder.png
