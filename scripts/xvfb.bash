# Sourced by the scripts and tests that show the live window: an X server of their own.
#
# xvfb_start <WIDTHxHEIGHTxDEPTH> <folder>: starts Xvfb on a free display, waits until it serves,
# exports DISPLAY and sets xvfb_pid; its display number and log go in the folder. Returns 1, with
# the log on standard error, when no server came up. It runs with -noreset: without it the server
# resets whenever its last client leaves (each xdotool call) and drops a client connecting at that
# moment. GLX is off: Xvfb's renders with the processor, and a window on a GLX visual would cost
# a conversion per frame.
xvfb_start() {
    local screen=$1 folder=$2 _
    Xvfb -displayfd 3 -screen 0 "$screen" -extension GLX -nolisten tcp -noreset \
        3>"$folder/display" >/dev/null 2>"$folder/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 200); do [[ -s $folder/display ]] && break; sleep 0.05; done
    if [[ -s $folder/display ]]; then
        export DISPLAY=:$(head -1 "$folder/display")
        for _ in $(seq 200); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.05; done
    fi
    cat "$folder/xvfb.log" >&2
    return 1
}
