#!/usr/bin/env bash
# The build's own launchers, driven with stand-ins for the programs they start: clang-tidy's
# memory of passes (cmake/clang-tidy-cached) and clang-cl's way into ccache
# (toolchain/ccache-clang-cl).
# Usage: build_tools_test.sh CASE
set -uo pipefail
case_name=$1
clone=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$(dirname "${BASH_SOURCE[0]}")/support/harness.bash"
mkdir -p "$work/bin"

case $case_name in
windows_prerequisites)
    # The Windows presets' configure, refused in one message naming what to do, and nothing else.
    refusal() { # <cmake option>...: the one error's words, unwrapped; the status in $work/status
        cmake -S "$clone" -B "$work/build" -G Ninja --toolchain toolchain/clang-cl-x86.cmake "$@" \
            >/dev/null 2>"$work/err"
        echo $? >"$work/status"
        rm -rf "$work/build"
        test "$(grep -c 'CMake Error' "$work/err")" -eq 1 || cat "$work/err" >&2
        sed -n '/(message):/,/^Call Stack/p' "$work/err" | sed '1d;$d' | tr -s ' \n' ' ' |
            sed 's/^ //; s/ $//'
    }
    check "a Debug configuration is refused in one line" equals "$(refusal -DCMAKE_BUILD_TYPE=Debug) $(cat "$work/status")" \
        "The clang-cl presets build Release or RelWithDebInfo only, not Debug: Microsoft's debug runtime is not there to link. For a debugger, use RelWithDebInfo. 1"
    # Whatever this machine has: every program given, or none found; Wine's headers made here.
    programs=()
    for variable in TOOLCHAIN_CLANG CMAKE_LINKER CMAKE_AR CMAKE_RC_COMPILER CMAKE_MT CMAKE_DLLTOOL \
        CMAKE_NM CMAKE_READOBJ; do
        programs+=("-D$variable=/bin/true")
    done
    mkdir -p "$work/wine/windows" && : >"$work/wine/windows/windows.h"
    check "missing Wine headers name windows-setup" equals "$(refusal "${programs[@]}" -DTAVORINDEN_WINE_INCLUDE=/nowhere) $(cat "$work/status")" \
        "The Windows presets need what toolchain/windows-setup installs, and this machine lacks Wine's headers (/nowhere): run toolchain/windows-setup, then configure again. 1"
    check "missing LLVM 16 programs name windows-setup" equals "$(refusal -DTAVORINDEN_WINE_INCLUDE="$work/wine" -DCMAKE_FIND_USE_SYSTEM_ENVIRONMENT_PATH=OFF -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF) $(cat "$work/status")" \
        "The Windows presets need what toolchain/windows-setup installs, and this machine lacks clang-16, lld-link-16, llvm-lib-16, llvm-rc-16, llvm-mt-16, llvm-dlltool-16, llvm-nm-16, llvm-readobj-16: run toolchain/windows-setup, then configure again. 1"
    ;;
mounts_under)
    # bare-demo's mounts under its root, found however their paths are spelt, deepest first; in
    # a mount namespace of the test's own, so that nothing outlives it.
    if ! unshare --mount true 2>/dev/null; then
        echo "skipped: no mount namespace here"
        exit 0
    fi
    root="$work/a root"
    found=$(unshare --mount --propagation private bash -c '
        for point in "$1" "$1/tab	and blank" "$1/tab	and blank/deeper" "$1/back\\slash" "$2"; do
            mkdir -p "$point" && mount -t tmpfs none "$point" || exit
        done
        "$0/scripts/mounts-under" "$1"' "$clone" "$root" "$work/a rooted")
    check "every mount under the root, deepest first" equals "$found" \
        "$root/tab	and blank/deeper"$'\n'"$root/tab	and blank"$'\n'"$root/back\\slash"$'\n'"$root"
    ;;
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

    # A NOLINT on a header's #define line is in no preprocessed text, but is read all the same.
    echo '#define ANSWER 42  // NOLINT' >"$work/answer.h"
    printf '#include "answer.h"\nint f() { return ANSWER; }\n' >"$work/a.cpp"
    lint
    lint
    check "a pass with a header is remembered" equals "$(runs)" 4
    echo '#define ANSWER 42' >"$work/answer.h"
    lint
    check "a NOLINT dropped from a header's #define is linted again" equals "$(runs)" 5

    echo 'int f() { return 2; }' >"$work/a.cpp"
    echo fail >"$work/verdict"
    lint
    check "a finding fails and is shown" equals "$(cat "$work/status") $(cat "$work/out")" \
        "1 a.cpp:1:1: error: a finding [check]"
    lint
    check "a finding is linted every time" equals "$(runs) $(cat "$work/status")" "7 1"
    echo warn >"$work/verdict"
    lint
    lint
    check "a warning passes but is not remembered" equals "$(runs) $(cat "$work/status")" "9 0"

    # The marks hold no clone's path: a fresh clone elsewhere, even one whose path holds what a
    # pattern would take for its own, passes what another clone passed without linting again.
    for copy in "clone one" "clone|t[w]o.*"; do
        mkdir -p "$work/$copy/cmake"
        cp "$clone/cmake/clang-tidy-cached" "$work/$copy/cmake/"
        echo 'int g() { return 3; }' >"$work/$copy/g.cpp"
    done
    lint_in() { # <clone>
        (cd "$work/$1" && cmake/clang-tidy-cached "$work/bin/tidy" "$work/$1/g.cpp" -- \
            c++ -I "$work/$1/include" -o "$work/$1/g.o" -c "$work/$1/g.cpp" >"$work/out" 2>&1)
        echo $? >"$work/status"
    }
    echo pass >"$work/verdict"
    : >"$work/runs"
    lint_in "clone one"
    lint_in "clone|t[w]o.*"
    check "a pass in one clone is a pass in another" equals "$(runs) $(cat "$work/status")" "1 0"

    : >"$work/runs"
    # A source the preprocessor cannot read is linted as it stands, every time.
    echo '#include "missing.h"' >"$work/a.cpp"
    echo pass >"$work/verdict"
    lint
    lint
    check "an unreadable source is linted every time" equals "$(runs) $(cat "$work/status")" "2 0"
    ;;
ccache_clang_cl)
    # A ccache and a compiler that only say how they were called.
    printf '#!/usr/bin/env bash\necho "ccache ($CCACHE_COMPILERTYPE) $*"\n' >"$work/bin/ccache"
    printf '#!/usr/bin/env bash\necho "compiler $*"\n' >"$work/bin/clang-cl"
    chmod +x "$work/bin/ccache" "$work/bin/clang-cl"
    mkdir -p "$work/clone/build/x" "$work/real/a/b/deep"
    cd "$work/clone/build/x" || exit 1
    launch() { # <the clone from the build folder> <argument>...
        CCACHE_BASEDIR=$work/clone TAVORINDEN_SOURCE_FROM_BUILD=$1 PATH=$work/bin:$PATH \
            "$clone/toolchain/ccache-clang-cl" "${@:2}"
    }
    check "a source in the clone goes to ccache relative to the build folder" equals \
        "$(launch ../.. clang-cl /nologo /Foa.obj -c -- "$work/clone/source/a.cpp")" \
        "ccache (clang-cl) clang-cl /nologo /Foa.obj -c ../../source/a.cpp"
    # A build folder outside the clone, reached through a link: the source is spelt as CMake
    # spelt the clone for the prefix map, from the folder the link leads to.
    ln -s "$work/real/a/b" "$work/link"
    cd "$work/link/deep" || exit 1
    check "a build folder elsewhere, through a link, takes CMake's spelling" equals \
        "$(launch ../../../../clone clang-cl -c -- "$work/clone/source/a.cpp")" \
        "ccache (clang-cl) clang-cl -c ../../../../clone/source/a.cpp"
    check "a source outside the clone compiles without ccache" equals \
        "$(launch ../.. clang-cl /nologo -c -- /elsewhere/b.cpp)" "compiler /nologo -c -- /elsewhere/b.cpp"
    ;;
install_deps)
    # An apt-get that logs its calls and answers as the files in $work say: update-fails (the
    # archive mid-sync), refused (packages it has no candidate for, or unmet dependencies when
    # named *-unmet), fetch-fails (a download that fails whatever the package). Nothing is installed, and sudo only runs its command.
    cat >"$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$WORK/calls"
args=" $* "
case $args in
*" update "*)
    [[ -f $WORK/update-fails ]] || exit 0
    echo "E: Failed to fetch http://archive/dists/x/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
    exit 100 ;;
*" install -s "*)
    for package in $(cat "$WORK/refused" 2>/dev/null); do
        [[ $args == *" $package "* ]] || continue
        case $package in
        *-unmet) printf "Reading package lists...\n %s : Depends: libx (= 2) but 1 is to be installed\nE: Unable to correct problems, you have held broken packages.\n" "$package" ;;
        *) printf "Reading package lists...\nE: Package '%s' has no installation candidate\n" "$package" ;;
        esac
        exit 100
    done ;;
*" install "*)
    if [[ -s $WORK/refused || -f $WORK/fetch-fails ]]; then
        echo "E: Failed to fetch http://archive/pool/a.deb  404  Not Found" >&2
        exit 100
    fi ;;
esac
EOF
    printf '#!/usr/bin/env bash\necho "unknown ok not-installed"\n' >"$work/bin/dpkg-query"
    printf '#!/usr/bin/env bash\nexec "$@"\n' >"$work/bin/sudo"
    chmod +x "$work/bin/apt-get" "$work/bin/dpkg-query" "$work/bin/sudo"
    export WORK=$work INSTALL_DEPS_RETRY_PAUSE=0
    install() { # <package>...: status in $work/status, standard error in $work/err
        : >"$work/calls"
        PATH=$work/bin:$PATH "$clone/scripts/install-deps" "$@" >/dev/null 2>"$work/err"
        echo $? >"$work/status"
    }
    calls() { grep -c -- "$1" "$work/calls"; }

    touch "$work/update-fails"
    install extra-tool
    check "an index that fails is tried three times, then the install goes on" equals \
        "$(cat "$work/status") $(calls ' update$') $(calls ' install -y .* extra-tool$')" "0 3 1"
    check "the refused index is told" equals "$(tail -1 "$work/err")" \
        "install-deps: some package indexes could not be updated; installing from the rest"

    echo "wine32:i386" >"$work/refused"
    install extra-tool wine32:i386
    check "a package that cannot be installed stops it, named with apt's reason" equals \
        "$(cat "$work/status") $(tail -1 "$work/err")" \
        "1 install-deps: cannot install wine32:i386: E: Package 'wine32:i386' has no installation candidate"

    echo "tool-unmet" >"$work/refused"
    install tool-unmet
    check "apt's reason over several lines is quoted whole, a line after another" equals \
        "$(tail -1 "$work/err")" \
        "install-deps: cannot install tool-unmet: tool-unmet : Depends: libx (= 2) but 1 is to be installed; E: Unable to correct problems, you have held broken packages."

    rm "$work/refused" "$work/update-fails"
    touch "$work/fetch-fails"
    install extra-tool
    check "a failure no single package explains names them all, with apt's reason" equals \
        "$(cat "$work/status") $(tail -1 "$work/err" | sed 's/ cmake .* extra-tool:/ ... extra-tool:/')" \
        "1 install-deps: cannot install ... extra-tool: E: Failed to fetch http://archive/pool/a.deb  404  Not Found"
    ;;
*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
finished
