# What the shell tests share, sourced at their start: a scratch folder `work`, removed on exit
# (a test that needs more on exit sets its own trap and removes it there), a count of failures,
# the ways to count one, and the exit status they make.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { # <what>...
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() { # <description> <test>...
    local what=$1
    shift
    "$@" || fail "$what"
}
equals() { # <got> <wanted>
    [[ $1 == "$2" ]] && return
    printf '  got: %s\n  wanted: %s\n' "$1" "$2" >&2
    return 1
}
# until_true <seconds> <command>...: true as soon as the command is, false when time runs out
until_true() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.02
    done
}
finished() { exit $((failures > 0)); }
