# A job line the kernel cannot parse gets no answer; the front-end says so.
source "$(dirname "$0")/lib.sh"
fe_setup

run_fe --timeout 3 -at -bogus
expect_eq "$RC" 3 "no answer within the time-out"
expect_contains "$ERR" "no answer from the kernel within 3 s" "the time-out is named"
expect_contains "$TRACE_FILE" "error parsing command line" "the kernel could not parse the line"
expect_not_contains "$TRACE_FILE" "Sending acknowledge to client" "an unparsable request is never accepted"
[[ -n $(kernel_pid) ]] || fail "the server ended after an unparsable request"
pass "unparsable job line"
