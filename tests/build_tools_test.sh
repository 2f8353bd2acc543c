#!/usr/bin/env bash
# The build's own launchers, driven with stand-ins for the programs they start: clang-tidy's
# memory of passes (cmake/clang-tidy-cached) and clang-cl's way into ccache
# (toolchain/ccache-clang-cl).
# Usage: build_tools_test.sh CASE
set -uo pipefail
case_name=$1
clone=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
mkdir -p "$work/bin"

check() { # <description> <test>...
    local what=$1
    shift
    if ! "$@"; then
        echo "FAIL: $what" >&2
        failures=$((failures + 1))
    fi
}
equals() { # <got> <wanted>
    [[ $1 == "$2" ]] && return
    printf '  got: %s\n  wanted: %s\n' "$1" "$2" >&2
    return 1
}

case $case_name in
tidy_marks)
    # A clang-tidy that counts its runs and answers as $work/verdict says.
    cat >"$work/bin/tidy" <<'EOF'
#!/usr/bin/env bash
case $1 in --version) echo "tidy 1"; exit ;; --dump-config) echo "Checks: all"; exit ;; esac
echo run >>"$WORK/runs"
case $(cat "$WORK/verdict") in
fail) echo "a.cpp:1:1: error: a finding [check]"; exit 1 ;;
warn) echo "a.cpp:1:1: warning: a finding [check]" ;;
esac
EOF
    chmod +x "$work/bin/tidy"
    export WORK=$work XDG_CACHE_HOME=$work/cache
    lint() { # [tidy option]...: status and output in $work/status, $work/out
        "$clone/cmake/clang-tidy-cached" "$work/bin/tidy" "$@" "$work/a.cpp" -- \
            c++ -MD -MT a.o -MF "$work/a.d" -o "$work/a.o" -c "$work/a.cpp" >"$work/out" 2>&1
        echo $? >"$work/status"
    }
    runs() { wc -l <"$work/runs" | tr -d ' '; }
    : >"$work/runs"

    echo 'int f() { return 1; }' >"$work/a.cpp"
    echo pass >"$work/verdict"
    lint
    lint
    check "a pass is remembered" equals "$(runs) $(cat "$work/status")" "1 0"
    echo 'int f() { return 1; }  // NOLINT' >"$work/a.cpp"
    lint
    check "a changed comment is linted again" equals "$(runs)" 2
    lint --quiet
    check "other options are linted again" equals "$(runs)" 3

    echo 'int f() { return 2; }' >"$work/a.cpp"
    echo fail >"$work/verdict"
    lint
    check "a finding fails and is shown" equals "$(cat "$work/status") $(cat "$work/out")" \
        "1 a.cpp:1:1: error: a finding [check]"
    lint
    check "a finding is linted every time" equals "$(runs) $(cat "$work/status")" "5 1"
    echo warn >"$work/verdict"
    lint
    lint
    check "a warning passes but is not remembered" equals "$(runs) $(cat "$work/status")" "7 0"

    # A source the preprocessor cannot read is linted as it stands, every time.
    echo '#include "missing.h"' >"$work/a.cpp"
    echo pass >"$work/verdict"
    lint
    lint
    check "an unreadable source is linted every time" equals "$(runs) $(cat "$work/status")" "9 0"
    ;;
ccache_clang_cl)
    # A ccache and a compiler that only say how they were called.
    printf '#!/usr/bin/env bash\necho "ccache ($CCACHE_COMPILERTYPE) $*"\n' >"$work/bin/ccache"
    printf '#!/usr/bin/env bash\necho "compiler $*"\n' >"$work/bin/clang-cl"
    chmod +x "$work/bin/ccache" "$work/bin/clang-cl"
    mkdir -p "$work/clone/build/x"
    cd "$work/clone/build/x" || exit 1
    launch() { CCACHE_BASEDIR=$work/clone PATH=$work/bin:$PATH "$clone/toolchain/ccache-clang-cl" "$@"; }
    check "a source in the clone goes to ccache relative to the build folder" equals \
        "$(launch clang-cl /nologo /Foa.obj -c -- "$work/clone/source/a.cpp")" \
        "ccache (clang-cl) clang-cl /nologo /Foa.obj -c ../../source/a.cpp"
    check "a source outside the clone compiles without ccache" equals \
        "$(launch clang-cl /nologo -c -- /elsewhere/b.cpp)" "compiler /nologo -c -- /elsewhere/b.cpp"
    ;;
*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
exit $((failures > 0))
