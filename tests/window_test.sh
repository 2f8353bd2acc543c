#!/usr/bin/env bash
# simhost's live window on a real X server (Xvfb, started here), looked at from outside: pictures
# are read back from the X server, keys and resizes go through it, as a player's would.
# Usage: window_test.sh CASE SIMHOST MODULE REBUILT_MODULE BAND_CHECK FAILING_MODULE VERSION
#   CASE: window (band, resize, F1, typed lines, F12, F5, Escape), watch (a rebuilt module, a
#   broken file, a module whose draw fails: it draws with a canvas handle kept from an earlier
#   draw), frames (--frames N and its statistics; no display at all), lost_display (the X server
#   goes away under the window)
#   VERSION: the plug-in's, which it logs and the title shows
set -uo pipefail
case_name=$1 simhost=$2 module=$3 rebuilt=$4 band_check=$5 failing=$6 version=$7
source "$(dirname "${BASH_SOURCE[0]}")/support/harness.bash"
pids=()
# Waited for, so that no X server outlives its test and meets the next one's.
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait
    rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/install-deps installs it" >&2; exit 1; }
done
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/xvfb.bash"
xvfb_start 1280x1024x24 "$work" || exit 1
pids+=("$xvfb_pid")

# start_simhost <argument>...: simhost in $work, reading the console from a FIFO held open here
start_simhost() {
    mkfifo "$work/console"
    (cd "$work" && exec "$simhost" "$@" <console >out 2>err) &
    simhost_pid=$!
    pids+=("$simhost_pid")
    exec 7>"$work/console"
}
type_line() { echo "$1" >&7; }
window_id() { xdotool search --name "$1" 2>/dev/null | head -1; }
title_has() { xdotool getwindowname "$window" 2>/dev/null | grep -qF -- "$1"; }
# expect_title <text>: waits for the title to show it
expect_title() { until_true 5 title_has "$1" || fail "the title never showed '$1': $(xdotool getwindowname "$window")"; }
# band_shown <WxH> <on|off> <name>: whether the window's picture, read from the X server, is right
band_shown() {
    import -window "$window" "$work/$3.png" 2>>"$work/import.log" &&
        "$band_check" "$work/$3.png" "$1" "$2" >"$work/band.log" 2>&1
}
# expect_band <WxH> <on|off> <name>: waits for the picture; the title can change before a frame
# shows the change (and the window's first title comes before its first frame)
expect_band() {
    until_true 5 band_shown "$@" || fail "the band is wrong in $3.png: $(cat "$work/band.log")"
}
# finish <status>: simhost must end by itself with that status
finish() {
    exec 7>&-
    until_true 10 bash -c "! kill -0 $simhost_pid 2>/dev/null" || fail "simhost did not end"
    wait "$simhost_pid"
    local status=$?
    [[ $status -eq $1 ]] || fail "simhost ended with status $status, not $1"
}
report() {
    if ((failures > 0)); then
        echo "--- simhost's standard output" >&2; cat "$work/out" >&2
        echo "--- simhost's standard error" >&2; cat "$work/err" >&2
        echo "--- the X server's log (display $DISPLAY)" >&2; cat "$work/xvfb.log" >&2
        exit 1
    fi
    echo "$case_name: all checks passed"
}

case $case_name in
window)
    start_simhost --window --size 640x360 "$module"
    until_true 10 window_id Tavorinden >/dev/null || { fail "no window appeared"; report; }
    window=$(window_id Tavorinden)
    expect_title "Tavorinden $version | 640x360 | cl_tavorinden 1 |"
    expect_band 640x360 on first

    # Mapped again, the window has lost its pixels: a frame where nothing changed still shows all.
    xdotool windowunmap --sync "$window" && xdotool windowmap --sync "$window"
    expect_band 640x360 on exposed

    xdotool windowsize "$window" 800 450
    expect_title "| 800x450 |"
    expect_band 800x450 on resized

    xdotool windowfocus --sync "$window" && xdotool key F1
    expect_title "cl_tavorinden 0"
    expect_band 800x450 off switched_off

    type_line "cl_tavorinden 1"  # the console beside the window
    expect_title "cl_tavorinden 1"
    expect_band 800x450 on typed_on

    xdotool key F12
    # Under ThreadSanitizer, with another window test beside it, the picture can take seconds.
    until_true 15 grep -q "^wrote simhost-1.png$" "$work/err" || fail "F12 wrote no simhost-1.png"
    "$band_check" "$work/simhost-1.png" 800x450 on >/dev/null || fail "F12's picture is wrong"

    xdotool key F5
    until_true 5 grep -q "Tavorinden.so: loaded again" "$work/err" || fail "F5 did not reload"
    expect_title "Tavorinden $version | 800x450 | cl_tavorinden 1 |"

    xdotool key Escape
    finish 0
    [[ $(grep -c "^Tavorinden version: $version$" "$work/out") -eq 2 ]] ||
        fail "not one version line for the start and one for F5"
    ;;
watch)
    mkdir "$work/build"
    cp "$module" "$work/build/Tavorinden.so"
    start_simhost --window --watch --size 480x270 build/Tavorinden.so
    until_true 10 window_id Tavorinden >/dev/null || { fail "no window appeared"; report; }
    window=$(window_id Tavorinden)
    type_line "cl_tavorinden 0"
    expect_title "cl_tavorinden 0"

    # A linker that writes a new file and renames it over the old one.
    cp "$rebuilt" "$work/build/next.so"
    start=$(date +%s%N)
    mv "$work/build/next.so" "$work/build/Tavorinden.so"
    until_true 5 grep -q "rebuilt" "$work/out" || fail "the rebuilt module's version line never came"
    took=$((($(date +%s%N) - start) / 1000000))
    echo "rebuilt module in after $took ms"
    # A quarter of a second on an idle machine; the bound leaves room for a busy one.
    ((took < 1000)) || fail "the rebuilt module took $took ms to come in"
    expect_title "Tavorinden $version-rebuilt | 480x270 | cl_tavorinden 0"
    expect_band 480x270 off rebuilt

    # Half a module, written in place: told in one line, and the host goes on without one.
    told=$(wc -l <"$work/err")
    head -c 3000 "$module" >"$work/build/Tavorinden.so"
    # (Told once it has kept still for 2 s; the deadline only bounds a wait for the line.)
    until_true 20 grep -q "cut short or damaged" "$work/err" || fail "the broken file was not told"
    sleep 0.3
    [[ $(($(wc -l <"$work/err") - told)) -eq 1 ]] || fail "not one line for the broken file"
    expect_title "Tavorinden.so (not loaded)"
    kill -0 "$simhost_pid" || fail "simhost did not survive the broken file"

    # The linker finishes, in place.
    cat "$module" >"$work/build/Tavorinden.so"
    expect_title "Tavorinden $version | 480x270 | cl_tavorinden 0"
    expect_band 480x270 off restored

    # A build whose draw fails: dropped and told once, and the window goes on without it.
    told=$(wc -l <"$work/err")
    cp "$failing" "$work/build/next.so" && mv "$work/build/next.so" "$work/build/Tavorinden.so"
    expect_title "Tavorinden.so (not loaded)"
    sleep 0.3
    [[ $(tail -n +$((told + 1)) "$work/err") == "simhost: build/Tavorinden.so: loaded again"$'\n'"simhost: build/Tavorinden.so: draw failed: a drawable used a canvas handle kept from an earlier draw; a handle is dead once its draw returns; the module is unloaded" ]] ||
        fail "the failing draw was not told once: $(tail -n +$((told + 1)) "$work/err")"
    kill -0 "$simhost_pid" || fail "simhost did not survive the failing draw"
    cp "$module" "$work/build/next.so" && mv "$work/build/next.so" "$work/build/Tavorinden.so"
    expect_title "Tavorinden $version | 480x270 | cl_tavorinden 0"
    type_line "quit"
    finish 0
    [[ $(grep -c "^Tavorinden version: " "$work/out") -eq 4 ]] || fail "not four version lines"
    ;;
frames)
    # Paced to the display: 60 frames take a second at 60 Hz, and no display is faster than 75.
    start=$(date +%s%N)
    start_simhost --window --size 320x180 --frames 60 "$module"
    finish 0
    took=$((($(date +%s%N) - start) / 1000000))
    ((took >= 780)) || fail "60 frames took $took ms: not paced to the display"
    # The first frame sends the whole 320x180 canvas, and then, with nothing changing, nothing.
    grep -Eq "^60 frames: median [0-9.]+ ms, 99th percentile [0-9.]+ ms per frame; median 0 bytes, 99th percentile 230400 bytes sent to the screen per frame$" "$work/err" ||
        fail "no frame statistics, or bytes sent while nothing changed: $(cat "$work/err")"
    # Flipped every frame, a frame sends the band's rows: 64 pixels (40 % to 60 % of 320) by 15
    # (8.5 % of 180), 4 bytes each.
    "$simhost" --window --size 320x180 --frames 60 --flip-each-frame "$module" </dev/null \
        >/dev/null 2>"$work/err"
    grep -Eq "^60 frames: median [0-9.]+ ms, 99th percentile [0-9.]+ ms per frame; median 3840 bytes, 99th percentile 230400 bytes sent to the screen per frame$" "$work/err" ||
        fail "a flipping band sent other than its own rows: $(cat "$work/err")"
    # What could not be done is a failure: a screenshot that could not be written, and a console
    # that could not be read (a directory as standard input), each told in its one line.
    "$simhost" --window --size 320x180 --frames 2 --screenshot "$work/none/shot.png" "$module" \
        </dev/null >/dev/null 2>"$work/err"
    status=$?
    [[ $status -eq 1 && $(grep -v "^2 frames: " "$work/err") == "simhost: $work/none/shot.png: cannot write: No such file or directory" ]] ||
        fail "an unwritten screenshot: status $status, $(cat "$work/err")"
    "$simhost" --window --size 320x180 --frames 2 "$module" <"$work" >/dev/null 2>"$work/err"
    status=$?
    [[ $status -eq 1 && $(grep -v "^2 frames: " "$work/err") == "simhost: cannot read standard input: Is a directory" ]] ||
        fail "an unreadable console: status $status, $(cat "$work/err")"
    # SDL would fall back to drawing nowhere, and an unseen window would never end.
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$simhost" --window "$module" \
        </dev/null >/dev/null 2>"$work/err"
    status=$?
    [[ $status -eq 1 && $(cat "$work/err") == "simhost: cannot open a window: no display"* &&
        $(wc -l <"$work/err") -eq 1 ]] || fail "without a display: status $status, $(cat "$work/err")"
    ;;
lost_display)
    # Xlib ends the program when its server goes; nothing of the session is left on disk.
    mkdir "$work/tmp"
    TMPDIR="$work/tmp" start_simhost --window --watch --size 320x180 "$module"
    until_true 10 window_id Tavorinden >/dev/null || { fail "no window appeared"; report; }
    # The module loaded is a copy in memory, of which nothing is on disk.
    grep -q "/memfd:$(basename "$module") (deleted)$" "/proc/$simhost_pid/maps" ||
        fail "the module loaded is no copy in memory"
    [[ -z $(ls -A "$work/tmp") ]] || fail "a private copy on disk: $(ls -A "$work/tmp")"
    kill "${pids[0]}"
    exec 7>&-
    until_true 10 bash -c "! kill -0 $simhost_pid 2>/dev/null" || fail "simhost did not end"
    wait "$simhost_pid"
    status=$?
    ((status != 0)) || fail "simhost ended with status 0 without its display"
    [[ -z $(ls -A "$work/tmp") ]] || fail "private copies left: $(ls -A "$work/tmp")"
    grep -qx "simhost: the session ended by a call to exit() before it was over" "$work/err" ||
        fail "the early end was not told"
    ;;
*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
report
