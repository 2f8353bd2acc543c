#!/usr/bin/env bash
# A plug-in author's route, run as docs/plugin-authors.md gives it: the door installed from this
# build, the template copied out of the repository and built against it, then checked.
# Usage: author_route_test.sh BUILD_DIR NM
set -uo pipefail
build=$1
nm=$2
clone=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The guide's first shell block, with this build's folder for the dev preset's.
commands=$(awk '/^```sh$/ { inside = 1; next } inside && /^```$/ { exit } inside' \
    "$clone/docs/plugin-authors.md")
[[ $commands == *'simhost" check build/MyPlugin.so'* ]] || {
    echo "FAIL: the guide's commands no longer end in the check:" >&2
    echo "$commands" >&2
    exit 1
}
commands=${commands//build\/dev/$build}
export HOME=$work/home
mkdir -p "$HOME"
cd "$clone" || exit 1
if ! (set -e; eval "$commands") >"$work/out" 2>&1; then
    echo "FAIL: the guide's commands failed:" >&2
    cat "$work/out" >&2
    exit 1
fi
failures=0
summary=$(tail -n 1 "$work/out")
if [[ $summary != "12 passed, 0 failed" ]]; then
    echo "FAIL: the template's check ends \"$summary\", not \"12 passed, 0 failed\":" >&2
    cat "$work/out" >&2
    failures=$((failures + 1))
fi
# What leaves the module is the contract's names, no more.
if ! cmake -DMODULE="$HOME/my-plugin/build/MyPlugin.so" -DNM="$nm" \
    -P "$clone/tests/check_exports.cmake"; then
    failures=$((failures + 1))
fi
# Nothing of it was written into the repository.
if [[ -e $clone/template/build ]]; then
    echo "FAIL: the template was built inside the repository" >&2
    failures=$((failures + 1))
fi
exit $((failures > 0))
