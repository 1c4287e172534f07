# Sourced by the check scripts: `check DESCRIPTION COMMAND...` runs the command,
# counts it in $passed or $failed, and shows what a failing one printed.
passed=0
failed=0
check() {
    local what="$1"
    shift
    local out
    if out=$("$@" 2>&1); then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
        [ -z "$out" ] || printf '%s\n' "$out" | sed 's/^/    /'
    fi
}
