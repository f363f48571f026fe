# A mistyped job is told by the front-end at once, with the word and the fix,
# and nothing reaches a kernel; a line the kernel cannot parse, sent by hand,
# still gets no answer from it.
source "$(dirname "$0")/lib.sh"
fe_setup

check_mistake() {  # what expected-text job...
    local what=$1 text=$2
    shift 2
    run_fe "$@"
    expect_eq "$RC" 2 "$what: usage error"
    expect_contains "$ERR" "$text" "$what: the word and the fix"
    [[ -z $(kernel_pid) ]] || fail "$what: a kernel was started"
    [[ ! -e $REQUEST_FIFO ]] || fail "$what: a request FIFO exists"
}
check_mistake "unknown option" "'-atx' is not an option; did you mean '-at'?" -atx
check_mistake "stray word" "'upgrade' is not an option and follows no option that takes a parameter" upgrade new.bup
check_mistake "missing parameter" "'-o' needs a parameter" -at -o
check_mistake "parameter taken by an option" "'-o' needs a parameter before '-ov'" -at -o -ov
pass "mistyped jobs end at the front-end"

run_fe -h
expect_eq "$RC" 0 "-h shows the help"
expect_contains "$OUT" "quillmark --status" "-h prints the front-end's help"
[[ -z $(kernel_pid) ]] || fail "-h started a kernel"
pass "-h"

# The kernel itself ignores an unparsable line sent past the front-end.
run_fe --status
expect_eq "$RC" 0 "the kernel started"
cd "$WORK"
/usr/bin/python3 -I -S "$QM_SOURCE_DIR/tests/e2e/raw_request.py" --fifo-mode 0600 --take "-at -bogus" \
    >"$WORK/raw.out" 2>&1 && fail "an unparsable request was accepted"
expect_contains "$TRACE_FILE" "error parsing command line" "the kernel could not parse the line"
expect_not_contains "$TRACE_FILE" "Sending acknowledge to client" "an unparsable request is never accepted"
[[ -n $(kernel_pid) ]] || fail "the server ended after an unparsable request"
pass "unparsable job line"
