# Whole sessions through quillmark: accepted, messages shown, job done, exit code.
source "$(dirname "$0")/lib.sh"
fe_setup

run_fe -i
expect_eq "$RC" 0 "a job that has nothing to do"
expect_contains "$TRACE_FILE" "Sending acknowledge to client" "the request was accepted"
expect_contains "$TRACE_FILE" "Info client request, nothing to do" "the job ran"
expect_contains "$TRACE_FILE" "sending message eJobDone" "the session ended with job done"
expect_contains "$TRACE_FILE" "Working Directory: '$PWD'" "relative names are the front-end's"
wait_kernel_gone 5 "a kernel serves one job"
pass "info job"

# A pattern that matches nothing passes the front-end (it names no one file)
# and reaches the kernel, which finds no package.
run_fe -at -o 'update*.bup' -arb
expect_eq "$RC" 1 "a job that reports an error"
expect_contains "$ERR" "invalid or missing file(s)" "the error is shown"
expect_not_contains "$OUT" "invalid or missing" "errors go to stderr"
pass "update from a missing package reports the error"

run_fe --json -at -o 'update*.bup'
expect_eq "$RC" 1 "BIOS update in JSON"
if command -v python3 >/dev/null; then
    python3 - "$OUT" <<'PY' || fail "JSON output"
import json, sys
events = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
assert all(isinstance(e, dict) for e in events), events
kinds = [e.get("event") for e in events]
assert kinds[:2] == ["start", "accepted"] and kinds[-1] == "done", kinds
assert events[0]["schema"] == 1, events[0]
assert events[-1]["exit_code"] == 1 and events[-1]["summary"].startswith("failed: "), events[-1]
errors = [e for e in events if e.get("event") == "message" and e.get("kind") == "error"]
assert errors and errors[0]["text"] == "invalid or missing file(s)", events
PY
    pass "--json gives one object per line"
fi

# A password read by the front-end reaches the kernel encrypted and is decoded there.
enable_trace 6
RC=0
printf 'Sup3r secret\n' | "$QM_FE" --password -at -o 'update*.bup' >"$OUT" 2>"$ERR" || RC=$?
expect_eq "$RC" 1 "update job with a password"
expect_contains "$TRACE_FILE" "fPwc=true" "the password arrived encrypted"
expect_contains "$TRACE_FILE" "fPwd=true, len(pwd)=12" "and was decoded to its plain length"
expect_not_contains "$TRACE_FILE" "Sup3r" "the password never reaches the trace"
pass "--password"

wait_kernel_gone 5 "the password job ended its kernel"
run_fe --status
expect_eq "$RC" 0 "status"
expect_contains "$OUT" "1.00" "the active BIOS of the board"
expect_contains "$OUT" "QMXSIM-X1" "the board"
pass "--status shows the announcement"
