#!/usr/bin/env bash
# A plug-in author's route, run as docs/plugin-authors.md gives it: the door installed from this
# build, the template copied out of the repository and built against it, then checked.
# Usage: author_route_test.sh linux BUILD_DIR NM
#        author_route_test.sh windows-x64 BUILD_DIR LLVM_READOBJ
#   windows-x64: the guide's Windows block, less the set-up and configure this build has done.
set -uo pipefail
route=$1
build=$2
reader=$3
clone=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$(dirname "${BASH_SOURCE[0]}")/support/harness.bash"

# The guide's shell blocks, one command per line (continuations joined).
block() { # <n>: the n-th block
    awk -v wanted="$1" '/^```sh$/ { n++; inside = (n == wanted); next }
        inside && /^```$/ { exit } inside' "$clone/docs/plugin-authors.md" | sed -e ':a' -e '/\\$/N; s/\\\n *//; ta'
}
if [[ $route == linux ]]; then
    commands=$(block 1)
    module=build/MyPlugin.so
    commands=${commands//build\/dev/$build}
else
    commands=$(block 1 | grep '^cp -r template')$'\n'$(block 2 | grep -v -e '^toolchain/windows-setup$' -e '^cmake --preset ')
    module=build-windows-x64/MyPlugin.dll
    commands=${commands//<clone>/$clone}
    commands=${commands//build\/windows-x64-clang-cl/$build}
fi
[[ $commands == *" check $module"* ]] || {
    echo "FAIL: the guide's commands no longer end in the check of $module:" >&2
    echo "$commands" >&2
    exit 1
}
export HOME=$work/home
mkdir -p "$HOME"
cd "$clone" || exit 1
if ! (set -e; eval "$commands") >"$work/out" 2>&1; then
    echo "FAIL: the guide's commands failed:" >&2
    cat "$work/out" >&2
    exit 1
fi
summary=$(tail -n 1 "$work/out" | tr -d '\r')
if [[ $summary != "13 passed, 0 failed" ]]; then
    fail "the template's check ends \"$summary\", not \"13 passed, 0 failed\":"
    cat "$work/out" >&2
fi
# What leaves the module is the export list's names, no more.
if [[ $route == linux ]]; then
    reading=(-DABI=itanium -DNM="$reader")
else
    reading=(-DABI=msvc-x64 -DREADOBJ="$reader")
fi
check "the template's exports" \
    cmake -DMODULE="$HOME/my-plugin/$module" "${reading[@]}" -P "$clone/tests/check_exports.cmake"
# Nothing of it was written into the repository.
check "the template was built inside the repository" \
    test ! -e "$clone/template/build" -a ! -e "$clone/template/build-windows-x64"
finished
