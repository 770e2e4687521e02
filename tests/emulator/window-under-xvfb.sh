#!/usr/bin/env bash
# The emulator's real window on a virtual X display: keys sent with xdotool
# reach the device, and the emulator's own screenshots show the cursor moved.
#   window-under-xvfb.sh DEVICESIM
set -euo pipefail
devicesim=$1
work=$(mktemp -d)
cleanup() {
    kill "${show:-}" "${xvfb:-}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x1400x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$work" && exec "$devicesim" show >"$work/trace.txt" 2>&1) &
show=$!
window=$(timeout 20 xdotool search --sync --name "DeviceSim" | head -1)
sleep 1 # the cursor program starts and shows its cursor
xdotool windowfocus --sync "$window" key --window "$window" s
sleep 0.5
xdotool keydown --window "$window" Right
sleep 1.2
xdotool keyup --window "$window" Right
sleep 0.5
xdotool key --window "$window" s
sleep 0.5
xdotool key --window "$window" Escape
timeout 10 tail --pid="$show" -f /dev/null
show=

[ -f "$work/screenshot-1.png" ] || { echo "no first screenshot"; cat "$work/trace.txt"; exit 1; }
[ -f "$work/screenshot-2.png" ] || { echo "no second screenshot"; cat "$work/trace.txt"; exit 1; }
if cmp -s "$work/screenshot-1.png" "$work/screenshot-2.png"; then
    echo "the held Right key did not move the cursor"
    exit 1
fi
echo "the emulator's window answered the keys"
