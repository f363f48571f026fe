# The front-end's own options and its exit codes.
source "$(dirname "$0")/lib.sh"
install_layout

run_fe --bogus -i
expect_eq "$RC" 2 "unknown front-end option"
expect_contains "$ERR" "--bogus" "the option is named"
run_fe
expect_eq "$RC" 2 "no job"
run_fe --help
expect_eq "$RC" 0 "--help"
for code in 0 1 2 3 4; do
    grep -qE "^ *$code " "$OUT" || fail "--help does not document exit code $code"
done
run_fe --version
expect_eq "$RC" 0 "--version"
expect_contains "$OUT" "quillmark 0.1.0" "version"
pass "usage"

run_fe --kernel /nonexistent/qmkrnl2 -i
expect_eq "$RC" 3 "kernel not reachable"
[[ -s $ERR ]] || fail "no message for an unreachable kernel"
pass "kernel not reachable"
