#!/usr/bin/env bash
# The cross-built cursor program under Wine on a virtual X display, beside a
# target program that logs what it receives: the cursor appears shaped at the
# centre, stores its settings, ignores a resting pointer, moves with the
# arrow keys that the target never sees, taps the target at its hot spot with
# the action key, leaves the target the focus, and a second start closes it;
# then the install hooks, called as the installer would, start it and the
# settings program again and greet the user; the settings dialog fills the
# screen, previews a new speed in the running cursor, shows help as a box and
# stores the speed with its close box.
#   end-to-end.sh BINARY_DIR SOURCE_DIR
set -euo pipefail
bin=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
started=$(date +%s%N)

log=
fail() {
    echo "FAIL: $*"
    echo "--- what the target received:"
    cat "$log" 2>/dev/null || true
    exit 1
}
width=640 height=480
source "$src/tests/wine/session.sh" $width $height
log=$work/target.log

app=$work/app
mkdir -p "$app/cursors"
cp "$bin/Pointrel.exe" "$bin/Deployhook.dll" "$bin/WineTarget.exe" "$bin/HookHost.exe" \
    "$bin/DialogDriver.exe" "$app/"
# The settings program, once it is built, is installed and checked too.
settings=no
[ -f "$bin/PLSettings.exe" ] && cp "$bin/PLSettings.exe" "$app/" && settings=yes
cp "$src"/packaging/cursors/*.bmp "$app/cursors/"
cd "$app"

wine WineTarget.exe "$(winepath -w "$log" 2>/dev/null)" >/dev/null 2>&1 &
target_ready() { grep -q " ready$" "$log" 2>/dev/null; }
wait_for 30000 target_ready || fail "the target program did not start"

# The cursor's X window: the one of pointrel.exe that is larger than the
# 1 x 1 helpers Wine makes. Prints "id WxH+X+Y".
cursor_window() {
    xwininfo -root -tree | awk '/\("pointrel.exe"/ && $0 !~ / 1x1\+/ {
        for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { print $1, $i; exit } }'
}
cursor_shown() { [ -n "$(cursor_window)" ]; }
geometry() { cursor_window | awk '{ print $2 }'; }
position() { geometry | sed -E 's/^[0-9]+x[0-9]+\+([-0-9]+)\+([-0-9]+)$/\1 \2/'; }

wine Pointrel.exe >/dev/null 2>&1 &
first=$!
wait_for 30000 cursor_shown || fail "the cursor window did not appear"
window=$(cursor_window | awk '{ print $1 }')

echo "-- the cursor appears at the centre, 16 x 16"
[ "$(geometry)" = "16x16+$((width / 2))+$((height / 2))" ] ||
    fail "the cursor window is at $(geometry), not 16x16+$((width / 2))+$((height / 2))"

echo "-- its X shape is the image's opaque part"
# The bounding box of the pixels that are not the transparent colour
# (200, 150, 200), from the bottom-up 24-bit BMP.
expected=$(python3 - "$src/packaging/cursors/cursor_black-16.bmp" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack_from('<I', data, 10)
width, height = struct.unpack_from('<ii', data, 18)
bits, = struct.unpack_from('<H', data, 28)
assert bits == 24
stride = (width * 3 + 3) & ~3
xs, ys = [], []
for row in range(abs(height)):
    y = height - 1 - row if height > 0 else row
    for x in range(width):
        b, g, r = data[offset + row * stride + 3 * x: offset + row * stride + 3 * x + 3]
        if (r, g, b) != (200, 150, 200):
            xs.append(x); ys.append(y)
print('%dx%d+%d+%d' % (max(xs) - min(xs) + 1, max(ys) - min(ys) + 1, min(xs), min(ys)))
PY
)
shape=$(xwininfo -shape -id "$window" | sed -n 's/^ *Window shape extents: *//p')
[ "$shape" = "$expected" ] || fail "the window's shape extents are '$shape', not $expected"

echo "-- the registry holds the seven values"
values=$(wine reg query 'HKLM\SOFTWARE\Quorvane\Pointrel' 2>/dev/null | tr -d '\r')
for name in CursorSpeed CursorAcceleration CursorAccelerationSpeed SnapToSipLetters \
    MenuNavigationMethod CursorImage DeviceModel; do
    grep -Eq "^ +$name +REG_" <<<"$values" || fail "no value $name; the key holds: $values"
done
[ "$(grep -Ec '^ +[A-Za-z]+ +REG_' <<<"$values")" = 7 ] || fail "not seven values: $values"

echo "-- a pointer resting over the cursor does not move it"
before=$(position)
read -r x y <<<"$before"
xdotool mousemove $((x + 4)) $((y + 4))
sleep 0.2
xdotool mousemove $((x + 7)) $((y + 9))
sleep 0.4
[ "$(position)" = "$before" ] || fail "hovering moved the cursor from $before to $(position)"
# The keys go to the window under the pointer: the target's.
xdotool mousemove 40 40
sleep 0.2

echo "-- the arrow keys move it; the target never sees them pressed"
hold() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
    sleep 0.3
}
hold Right 0.5
read -r x2 y2 <<<"$(position)"
# How far depends on how many 50-ms ticks the program got while the key was
# down, which a loaded machine shortens; the direction does not.
[ "$y2" = "$y" ] && [ "$x2" -gt "$x" ] || fail "Right moved the cursor from $x,$y to $x2,$y2"
hold Down 0.3
read -r x3 y3 <<<"$(position)"
[ "$x3" = "$x2" ] && [ "$y3" -gt "$y2" ] ||
    fail "Down moved the cursor from $x2,$y2 to $x3,$y3"
grep -Eq " keydown (37|38|39|40)$" "$log" && fail "an arrow key's press reached the target"

echo "-- Enter taps the target at the hot spot, press then release, twice"
taps() { grep -c " lbuttonup " "$log" || true; }
for n in 1 2; do
    xdotool key Return
    tapped() { [ "$(taps)" -ge "$n" ]; }
    wait_for 5000 tapped || fail "Enter number $n brought no release to the target"
    # One pixel left of the cursor window, at its top.
    spot="$((x3 - 1)) $y3"
    clicks=$(grep -E " lbutton(down|up) " "$log" | tail -2 | cut -d' ' -f2-)
    [ "$clicks" = "$(printf 'lbuttondown %s\nlbuttonup %s' "$spot" "$spot")" ] ||
        fail "Enter number $n gave: $clicks"
done
grep -Eq " keydown 13$" "$log" && fail "Enter's press reached the target"
[ "$(grep -c " lbuttondown " "$log")" = 2 ] || fail "not exactly two presses"

echo "-- the target keeps the focus"
grep -q " killfocus$" "$log" && fail "the target lost the focus"

echo "-- a second start closes the first within a second"
rc=0
timeout 30 wine Pointrel.exe >"$work/second.txt" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "the second start ended with code $rc: $(cat "$work/second.txt")"
second_done=$(now)
first_gone() { ! kill -0 "$first" 2>/dev/null; }
wait_for 1000 first_gone || fail "the first copy still runs a second after the second start"
closed_in=$(($(now) - second_done))
wait "$first" || fail "the first copy ended with code $?"
cursor_shown && fail "the cursor window is still on the screen"

echo "-- the install hooks start the cursor program and show the welcome box"
launched=$(now)
wine HookHost.exe "$(winepath -w "$app/Deployhook.dll" 2>/dev/null)" \
    "$(winepath -w "$app" 2>/dev/null)" >/dev/null 2>&1 &
host=$!
wait_for 30000 cursor_shown || fail "Install_Exit did not start the cursor program"
welcome_shown() { xdotool search --name '^Welcome$' >/dev/null 2>&1; }
wait_for 30000 welcome_shown || fail "no welcome box"
# The hook waits 1200 ms after starting the programs before it greets.
[ $(($(now) - launched)) -ge 1200 ] || fail "the welcome box came sooner than 1200 ms"
# The settings program, started just before, may come up over the box, so
# the box's OK is pressed through its window rather than under the pointer.
wine DialogDriver.exe ok Welcome >/dev/null 2>&1 || fail "the welcome box has no OK"
host_done() { ! kill -0 "$host" 2>/dev/null; }
wait_for 10000 host_done || fail "the welcome box did not close on OK"
wait "$host" || fail "Install_Exit's host ended with code $?"

if [ "$settings" = yes ]; then
    echo "-- the settings program opens full screen"
    settings_window() { xwininfo -root -tree | grep -F '"Cursor Settings": ("plsettings.exe"' || true; }
    settings_shown() { [ -n "$(settings_window)" ]; }
    wait_for 30000 settings_shown || fail "Install_Exit did not start the settings program"
    # Wine gives a window with a caption the X window of its client area:
    # full screen, that is the screen less an even frame and the caption.
    read -r w h l t <<<"$(settings_window | grep -oE '[0-9]+x[0-9]+\+[0-9]+\+[0-9]+' | head -1 |
        tr 'x+' '  ')"
    [ $((l + w + l)) = "$width" ] && [ $((t + h + l)) = "$height" ] && [ "$t" -lt 40 ] ||
        fail "the settings dialog is not full screen: $(settings_window)"
    # Keys go to the window under the pointer: the dialog's, away from the
    # cursor.
    xdotool mousemove $((width / 4)) $((height * 3 / 4))
    sleep 0.2

    echo "-- a speed change reaches the running cursor"
    # A short press of Right moves the cursor by the ramp's first step,
    # (speed x 0.2) rounded, on each 50-ms tick that sees the key down. A
    # loaded machine can let the press pass between two ticks; then it is
    # pressed again, at most five times.
    tap_distance() {
        local x0 x1 y
        for _ in 1 2 3 4 5; do
            read -r x0 y <<<"$(position)"
            xdotool keydown Right
            sleep 0.08
            xdotool keyup Right
            sleep 0.4
            read -r x1 y <<<"$(position)"
            [ "$x1" != "$x0" ] && break
        done
        echo $((x1 - x0))
    }
    d=$(tap_distance)
    [ "$d" -gt 0 ] && [ $((d % 6)) = 0 ] || fail "at speed 28 a tap moved $d pixels"
    rc=0
    wine DialogDriver.exe speed 70 >/dev/null 2>&1 || rc=$?
    [ "$rc" = 0 ] || fail "the speed slider could not be moved ($rc)"
    sleep 0.3
    # The first tick of a press still moves by the step the last press ended
    # with; the ramp then starts from the new speed's.
    tap_distance >/dev/null
    d=$(tap_distance)
    [ "$d" -gt 0 ] && [ $((d % 14)) = 0 ] || fail "at speed 70 a tap moved $d pixels"

    echo "-- a help label shows its notification as a box"
    wine DialogDriver.exe tap 1043 >/dev/null 2>&1 || fail "no help label to tap"
    help_shown() { xdotool search --name '^Pointrel Help$' >/dev/null 2>&1; }
    wait_for 10000 help_shown || fail "tapping the help label showed no help"
    wine DialogDriver.exe ok "Pointrel Help" >/dev/null 2>&1 || fail "the help box has no OK"
    help_gone() { ! help_shown; }
    wait_for 10000 help_gone || fail "the help box did not close"

    echo "-- OK (the close box) stores the values"
    wine DialogDriver.exe close "Cursor Settings" >/dev/null 2>&1 || fail "no settings dialog to close"
    settings_gone() { ! settings_shown; }
    wait_for 10000 settings_gone || fail "the settings program did not close"
    speed=$(wine reg query 'HKLM\SOFTWARE\Quorvane\Pointrel' /v CursorSpeed 2>/dev/null | tr -d '\r')
    grep -Eq "CursorSpeed +REG_BINARY +46000000" <<<"$speed" || fail "speed 70 not stored: $speed"
fi

echo "end to end under Wine: passed in $((($(date +%s%N) - started) / 1000000)) ms;" \
    "the first copy closed $closed_in ms after the second start"
