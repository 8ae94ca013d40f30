# shellcheck shell=bash
# What the check scripts share: step lines, failures, waiting for a line in a
# file. Sourcing it defines functions and changes nothing. Every message
# starts with the name of the script that runs.

script_name() {
    local name=${0##*/}
    echo "${name%.sh}"
}

# A step line with the seconds since the script started, for the time budget.
step() {
    echo "==== $(script_name): $* (at ${SECONDS} s)"
}

# A failure after which the script cannot go on.
die() {
    echo "$(script_name): FAILED: $*" >&2
    exit 1
}

# A failure after which the script goes on, to report every one; `failed`
# tells whether there was one, and `finish` ends the script by it.
fail() {
    echo "$(script_name): FAILED: $*" >&2
    failed=true
}

# Ends a script that reports failures with `fail`: with status 1 after one,
# else with the given summary line.
finish() {  # summary...
    if [ "${failed:-false}" = true ]; then
        exit 1
    fi
    echo "$(script_name): $*"
}

# Shows the first lines of the outputs behind a failure, without Windows'
# carriage returns.
show() {  # file...
    local file
    for file in "$@"; do
        echo "---- $file" >&2
        tr -d '\r' <"$file" 2>/dev/null | head -n 40 >&2 || true
    done
}

# Waits up to `seconds` for a line of a file, carriage returns aside, to
# match an extended regular expression.
wait_for() {  # seconds file pattern
    local deadline=$((SECONDS + $1))
    until tr -d '\r' 2>/dev/null <"$2" | grep -Eq "$3"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
}
