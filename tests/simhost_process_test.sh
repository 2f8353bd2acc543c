#!/usr/bin/env bash
# simhost started as a separate program, under conditions a test inside the test program cannot
# make: limits on memory and file size, full and unreadable standard streams, special files,
# signals, and plug-ins that misbehave towards the process.
# Usage: simhost_process_test.sh CASE SIMHOST MODULE [FIXTURE_DIR [SURVIVORS]]
set -uo pipefail
case_name=$1 simhost=$2 module=$3 fixtures=${4:-} survivors=${5:-}
source "$(dirname "${BASH_SOURCE[0]}")/support/harness.bash"

# expect <status> <text on standard error> -- <command>...: standard output is not kept
expect() {
    local want_status=$1 want_text=$2
    shift 3
    # Standard error through a pipe: a file-size limit on the command must not cut it.
    "$@" 2>&1 >/dev/null | cat >"$work/err"
    local status=${PIPESTATUS[0]}
    if [[ $status -ne $want_status ]] || ! grep -qF -- "$want_text" "$work/err"; then
        fail "$*: status $status (wanted $want_status); standard error:"
        cat "$work/err" >&2
        echo "(wanted to see: $want_text)" >&2
    fi
}
waited_for() { # <what> <test>...: waits until the test holds, a minute at most
    local what=$1
    shift
    until_true 60 "$@" || { fail "waited a minute for $what"; return 1; }
}

has_lines() { test "$(wc -l <"$1")" -ge "$2"; } # <file> <count>

limited() { # <ulimit option> <value> <command>...: the limit for this command alone
    local option=$1 value=$2
    shift 2
    (ulimit "$option" "$value" && trap '' XFSZ && exec "$@")
}

case $case_name in
screenshot_write_failures)
    # The picture is larger than 1 KiB, so the limit cuts it; 0 lets nothing through at all.
    for blocks in 1 0; do
        expect 1 "$work/cut.png: cannot write: File too large" -- \
            limited -f "$blocks" "$simhost" --size 512x512 --screenshot "$work/cut.png" "$module"
        check "a cut picture is removed (limit $blocks KiB)" test ! -e "$work/cut.png"
    done
    ln -s /dev/full "$work/full.png"
    expect 1 "full.png: cannot write: No space left on device" -- \
        "$simhost" --command "screenshot $work/full.png" "$module"
    check "a device written to through a link stays" test -c /dev/full
    ;;
standard_streams_fail)
    expect 1 "simhost: cannot write the console log to standard output" -- \
        sh -c '"$0" "$1" >/dev/full' "$simhost" "$module"
    # A pipe whose reader has gone (output piped into head, say): told, not a silent SIGPIPE.
    expect 1 "simhost: cannot write the console log to standard output" -- \
        bash -c '{ sleep 0.3; exec "$0" "$1"; } | true; exit "${PIPESTATUS[0]}"' "$simhost" "$module"
    expect 1 "simhost: cannot read standard input: Is a directory" -- \
        sh -c '"$0" --frames 0 --interactive "$1" <"$2"' "$simhost" "$module" "$work"
    ;;
out_of_memory)
    expect 1 "simhost: cannot make a 16384x16384 canvas: out of memory" -- \
        limited -v 600000 "$simhost" --size 16384x16384 "$module"
    printf 'size 16384x16384\nsize\n' >"$work/in"
    expect 0 "canvas is 1920x1080" -- \
        sh -c 'ulimit -v 600000 && exec "$0" --frames 0 --interactive "$1" <"$2"' \
        "$simhost" "$module" "$work/in"
    check "the console says why the size was refused" \
        grep -qF "simhost: cannot make a 16384x16384 canvas: out of memory" "$work/err"
    ;;
endless_input)
    # 100 MB without a line end, then a line that must still run, all within a small memory limit.
    expect 0 'cl_tavorinden = "0"' -- sh -c \
        '{ head -c 100000000 /dev/zero; printf "\ncl_tavorinden 0\ncl_tavorinden\n"; } |
         { ulimit -v 300000 && exec "$0" --frames 0 --interactive "$1"; }' "$simhost" "$module"
    check "the long line is refused" grep -qF "console line 1 is longer than 1048576 bytes" \
        "$work/err"
    ;;
fifo_module)
    # simhost and its check judge a file by the same rules, at once: a FIFO would only wait.
    mkfifo "$work/fifo.so"
    expect 1 "fifo.so: is not a regular file" -- timeout 20 "$simhost" "$work/fifo.so"
    start=$SECONDS
    timeout 20 "$simhost" check --only opens,record "$work/fifo.so" >"$work/out" 2>&1
    check "check refuses a FIFO at once ($((SECONDS - start)) s)" test $((SECONDS - start)) -le 1
    check "with the host's words: $(cat "$work/out")" test "$(cat "$work/out")" = \
        $'FAIL opens: is not a regular file\nSKIP record: the module does not open\n0 passed, 1 failed, 1 skipped'
    # /dev/stdin is the file simhost was given, not a child's own standard input.
    "$simhost" check --only opens,record /dev/stdin <"$module" >"$work/out" 2>&1
    check "check takes /dev/stdin as simhost does: $(cat "$work/out")" \
        test "$(tail -n 1 "$work/out")" = "2 passed, 0 failed"
    ;;
check_output_bounded)
    # 100 MB printed in onLoad: the checker keeps the end of it, within a small memory limit.
    limited -v 100000 "$simhost" check --only load "$fixtures/misbehaving_floods_output.so" \
        >"$work/out" 2>&1
    check "the flood is kept out of memory: $(cut -c1-200 "$work/out")" \
        grep -qE '^1 passed, 0 failed$' "$work/out"
    expect 1 "simhost: cannot write the report to standard output" -- \
        sh -c '"$0" check --only load "$1" >/dev/full' "$simhost" "$module"
    ;;
cycle_told)
    # A cycles check that hangs in its 8th cycle (after the 100 that let the loader settle) says
    # so: the cycle it was in, not the last one it finished. The 107 cycles before the hang take
    # about 40 ms here; the time allowed leaves a loaded machine a hundredfold.
    FIXTURE_HANG_AT_LOAD=108 "$simhost" check --only cycles --cycles 10 --timeout 5 \
        "$fixtures/misbehaving_hangs_at_a_load.so" >"$work/out" 2>&1
    check "the cycle it hung in is told: $(cat "$work/out")" test "$(cat "$work/out")" = \
        $'FAIL cycles: timed out after 5 s in onLoad, at cycle 8 of 10\n0 passed, 1 failed'
    ;;
check_leaves_nothing_running)
    # Under the survivors tool, which takes in every process whose parent has gone: its status is
    # simhost's, or 125 when anything simhost or the plug-in started outlived simhost.
    run() { "$survivors" -- "$simhost" check "$@" >"$work/out" 2>&1; }
    left=$'FAIL load: the plug-in left a process running, which the check ended\n0 passed, 1 failed'
    run --only load,drawing "$fixtures/misbehaving_forks_helper.so"
    check "a check whose plug-in left a process fails, and nothing outlives it (status $?)" \
        test $? -eq 1
    check "each check tells of the process left: $(cat "$work/out")" \
        test "$(grep -c 'the plug-in left a process running, which the check ended$' "$work/out")" -eq 2
    # However a helper forks, renames itself or leaves the check's group or session, it is the
    # check's to end.
    for escape in helper_calls_setsid helper_daemonizes helper_joins_host_group helper_reforks \
        helper_setsid_hops helper_thread_outlives helper_renamed; do
        run --only load "$fixtures/misbehaving_$escape.so"
        status=$?
        check "nothing $escape started outlives the check (status $status)" test $status -eq 1
        check "$escape is told: $(cat "$work/out")" test "$(cat "$work/out")" = "$left"
    done
    # A check past its time ends the child and everything it started.
    # (Its time covers opening the module too, which a loaded machine may stretch past a second.)
    run --timeout 3 --only load "$fixtures/misbehaving_forks_helper_and_hangs.so"
    check "nothing of a timed-out check is left (status $?)" test $? -eq 1
    check "the time limit is told: $(cat "$work/out")" \
        test "$(cat "$work/out")" = $'FAIL load: timed out after 3 s in onLoad\n0 passed, 1 failed'
    # A request to end stops the check being run and what it started, then simhost as the
    # signal asks. (SIGTERM: a job started with & in a script does not hear SIGINT.)
    "$survivors" --pid-file "$work/pid" -- "$simhost" check --timeout 60 \
        "$fixtures/misbehaving_forks_helper_and_hangs.so" >"$work/out" 2>&1 &
    waited_for "the first four checks" has_lines "$work/out" 4
    kill -TERM "$(cat "$work/pid")"
    wait $!
    check "an interrupted check ends with 143, leaving nothing (got $?)" test $? -eq 143
    check "only the checks finished are reported: $(cat "$work/out")" \
        test "$(cut -d' ' -f1-2 "$work/out" | tr '\n' ,)" = "PASS opens,PASS record,PASS base-class,PASS entries,"
    # A helper that has ended is no process left running: its zombie is collected, not told.
    run --only load "$fixtures/misbehaving_helper_ends_unreaped.so"
    check "a helper that ended is not told as running: $(cat "$work/out")" \
        test "$(sed 's/ ([0-9]* ms)//' "$work/out")" = \
        $'PASS load: logged 1 line, registered 1 variable and 1 drawable\n1 passed, 0 failed'
    # A check child that leaves its group for simhost's is still ended at its time.
    run --timeout 3 --only load "$fixtures/misbehaving_hangs_in_host_group.so"
    check "a check child out of its group leaves nothing (status $?)" test $? -eq 1
    check "and is told: $(cat "$work/out")" \
        test "$(cat "$work/out")" = $'FAIL load: timed out after 3 s in onLoad\n0 passed, 1 failed'
    # A check child has its standard streams and its channel, not what simhost was started with.
    "$simhost" check --only load "$fixtures/misbehaving_writes_descriptor_9.so" \
        >"$work/out" 2>&1 9>"$work/notes"
    check "a check child inherits no other descriptor: $(cat "$work/notes")" test ! -s "$work/notes"
    # simhost ended by SIGKILL, which nothing can catch, takes the check child with it, and all
    # it started, though the plug-in stopped the child going with its parent.
    FIXTURE_READY_FILE="$work/ready" "$survivors" --pid-file "$work/pid" -- "$simhost" check \
        --timeout 60 --only load "$fixtures/misbehaving_clears_parent_death_signal.so" \
        >"$work/out" 2>&1 &
    waited_for "the plug-in's helper" test -e "$work/ready"
    kill -KILL "$(cat "$work/pid")"
    wait $!
    check "nothing outlives simhost ended by SIGKILL (status $?)" test $? -eq 137
    ;;
check_however_started)
    # The verdict does not depend on how simhost was started.
    passed() { # <what> [<status>]: the run's status (the last command's) and its whole report
        local status=${2:-$?}
        check "$1: status $status" test $status -eq 0
        check "$1: $(cat "$work/out")" test "$(sed 's/ ([0-9]* ms)//; s/:.*//' "$work/out" |
            tr '\n' ,)" = "$all_passed"
    }
    all_passed="PASS opens,PASS record,PASS base-class,PASS entries,PASS load,PASS variables,"
    all_passed+="PASS drawing,PASS unload,PASS release,PASS cycles,PASS module-unmaps,"
    all_passed+="PASS draw-cost,PASS explore,13 passed, 0 failed,"
    # tee is simhost's child: the shell starts it, then becomes simhost.
    bash -c 'exec "$0" check "$1" > >(tee "$2" >/dev/null)' "$simhost" "$module" "$work/out"
    status=$?
    waited_for "tee's copy" has_lines "$work/out" 14
    passed "through a program simhost inherited as its child" $status
    env --ignore-signal=CHLD "$simhost" check --timeout 5 "$module" >"$work/out"
    passed "with SIGCHLD ignored"
    "$simhost" check "$module" >"$work/out" <&-
    passed "with standard input closed"
    limited -n 64 "$simhost" check "$module" >"$work/out"
    passed "under a limit of 64 descriptors"
    # Its file replaced while it runs: the later checks still run this program.
    cp "$simhost" "$work/simhost"
    "$work/simhost" check "$module" >"$work/out" &
    waited_for "the first check" test -s "$work/out"
    cp /bin/false "$work/simhost.new" && mv "$work/simhost.new" "$work/simhost"
    wait $!
    passed "with its file replaced"
    ;;
check_without_namespace)
    # Where the system gives no pid namespace, the line says so, and a helper still ends with
    # the check. The limits are taken away in a user namespace of the test's own.
    if ! unshare --user --map-root-user true 2>/dev/null; then
        echo "skipped: no user namespace here to take the pid namespaces away in"
        exit 0
    fi
    for escape in forks_helper helper_daemonizes helper_thread_outlives helper_renamed; do
        "$survivors" -- unshare --user --map-root-user sh -c \
            'echo 0 >/proc/sys/user/max_pid_namespaces && echo 0 >/proc/sys/user/max_user_namespaces && exec "$@"' \
            sh "$simhost" check --only load "$fixtures/misbehaving_$escape.so" >"$work/out" 2>&1
        status=$?
        check "nothing $escape started outlives a check without a namespace (status $status)" \
            test $status -eq 1
        check "$escape without a namespace is told: $(cat "$work/out")" test "$(cat "$work/out")" = \
            "simhost: no pid namespace for the checks here (No space left on device): each runs in a process group of its own, which a process that leaves it can outlast
FAIL load: the plug-in left a process running, which the check ended
0 passed, 1 failed"
    done
    ;;
second_request)
    # A plug-in stuck on its way out does not hold the live session: a request to end waits a
    # second for the host's thread, then ends the program as it asks; a second request at once.
    cp "$fixtures/misbehaving_hangs_in_onunload.so" "$work/stuck.so"
    mkdir "$work/tmp"
    stuck_session() { # simhost stuck in onUnload after quit
        rm -f "$work/console"
        mkfifo "$work/console"
        (cd "$work" && TMPDIR="$work/tmp" exec "$simhost" --interactive --watch stuck.so \
            <console >out 2>err) &
        pid=$!
        exec 7>"$work/console"
        waited_for "the plug-in to load" grep -q "loaded" "$work/out"
        echo quit >&7
        waited_for "the plug-in to hang in onUnload" grep -q "hanging in onUnload" "$work/out"
    }
    ended_within() { # <tenths of a second> <signal> <what>
        for _ in $(seq "$1"); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        check "$3 ends the program within $1 tenths of a second" bash -c "! kill -0 $pid 2>/dev/null"
        kill -KILL "$pid" 2>/dev/null
        wait "$pid"
        local status=$?
        exec 7>&-
        check "$3 ends with status $((128 + $(kill -l "$2"))) (got $status)" \
            test "$status" -eq $((128 + $(kill -l "$2")))
    }
    for signal in INT TERM QUIT; do
        stuck_session
        kill -s "$signal" "$pid"
        sleep 0.5
        check "one SIG$signal is noted for a second while onUnload runs" kill -0 "$pid"
        ended_within 15 "$signal" "one SIG$signal unseen by the host's thread"
        stuck_session
        kill -s "$signal" "$pid"
        sleep 0.2
        kill -s "$signal" "$pid"
        ended_within 3 "$signal" "a second SIG$signal"
    done
    ;;
prompt)
    # The "] " prompt goes to standard error when standard input is a terminal, and only then.
    # script(1) gives the command a terminal: as standard input, and as its standard output.
    on_terminal() { script -qec "$1" /dev/null </dev/null >/dev/null; }
    on_terminal "$simhost --frames 0 --interactive $module 2>$work/typed >$work/out"
    on_terminal "echo quit | $simhost --frames 0 --interactive $module 2>$work/piped"
    check "a prompt for a terminal's input: $(cat -A "$work/typed")" test "$(cat "$work/typed")" = "] "
    check "no prompt for a pipe's input: $(cat -A "$work/piped")" test ! -s "$work/piped"
    ;;
live_session_ends)
    # However a live session ends (a request to end, a rebuilt plug-in's exit(), crash or abort in
    # onLoad, SIGKILL), nothing of it is left in the temporary folder, and a request or an exit()
    # ends it with the status a shell expects.
    mkdir "$work/tmp" "$work/build"
    start() { # simhost on a console held open, the plug-in's build in $work/build
        cp "$module" "$work/build/Tavorinden.so"
        mkfifo "$work/console"
        (cd "$work" && TMPDIR="$work/tmp" exec "$simhost" --interactive --watch build/Tavorinden.so \
            <console >out 2>err) &
        pid=$!
        exec 7>"$work/console"
        for _ in $(seq 100); do grep -q "version" "$work/out" 2>/dev/null && break; sleep 0.05; done
    }
    rebuilt_as() { # <fixture>: the plug-in's next build
        cp "$fixtures/misbehaving_$1.so" "$work/build/next.so"
        mv "$work/build/next.so" "$work/build/Tavorinden.so"
    }
    finish() { # <status wanted, or "failure"> <what ended it>
        wait "$pid"
        local status=$?
        exec 7>&-
        rm -f "$work/console"
        if [[ $1 == failure ]]; then
            check "$2 ends with a failure (got $status)" test "$status" -ne 0
        else
            check "$2 ends with $1 (got $status)" test "$status" -eq "$1"
        fi
        check "$2 leaves nothing in the temporary folder: $(ls "$work/tmp")" \
            test -z "$(ls -A "$work/tmp")"
    }
    ulimit -c 0  # SIGQUIT's and a crash's own way to end writes a core file
    for signal in INT TERM HUP QUIT KILL; do
        start
        kill -s "$signal" "$pid"
        finish $((128 + $(kill -l "$signal"))) "SIG$signal"
    done
    for ending in exit quick_exit; do
        start
        rebuilt_as "${ending}s"
        finish 1 "a plug-in's $ending() after a reload"
        check "the early end by $ending() is told" \
            grep -qx "simhost: the session ended by a call to exit() before it was over" "$work/err"
    done
    for crash in segfaults:crashes long_last_words:aborts; do
        start
        rebuilt_as "${crash%:*}"
        finish failure "a rebuilt plug-in that ${crash#*:} in onLoad"
    done
    ;;
*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
finished
