# What every test under Wine sets up first, sourced by each: a temporary
# folder, a Wine prefix of its own inside it, a virtual X display whose
# number Xvfb picks itself, and the removal of all three however the test
# ends. The sourcing script defines fail first.
#   source session.sh WIDTH HEIGHT
# Leaves $work, $WINEPREFIX and $DISPLAY set, and now and wait_for defined.

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_CACHE_HOME=$work/cache
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Milliseconds of the clock on the wall.
now() { echo $(($(date +%s%N) / 1000000)); }
# Polls a condition every 50 ms until it holds or `ms` milliseconds have
# passed.
wait_for() {
    local deadline=$(($(now) + $1))
    shift
    until "$@"; do
        [ "$(now)" -gt "$deadline" ] && return 1
        sleep 0.05
    done
}

Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
wait_for 10000 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

wineboot -i >/dev/null 2>&1 || fail "the Wine prefix could not be made"
