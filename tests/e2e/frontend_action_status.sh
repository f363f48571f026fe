# The action status job: the module's record of the last BIOS action.
source "$(dirname "$0")/lib.sh"
fe_setup
BOARD="$QM_PREFIX/sim/board.json"
printf '{"board":"QMXSIM-X1","bios_version":"1.02","last_action":{"status":0,"accepted":"2026-11-30T08:00:00Z","executed":"2026-11-30T08:03:10Z"}}\n' >"$BOARD"

run_fe -ast
expect_eq "$RC" 0 "action status"
expect_contains "$OUT" "StatusString" "the items are shown"
expect_contains "$OUT" "Success" "the status"
expect_contains "$OUT" "2026-11-30T08:00:00Z" "when it was accepted"
expect_contains "$OUT" "2026-11-30T08:03:10Z" "when it was executed"
expect_not_contains "$TRACE_FILE" "There is no item" "all items were there"
pass "action status items"

run_fe --json -ast -estat
expect_eq "$RC" 0 "extended action status"
if command -v python3 >/dev/null; then
    python3 - "$OUT" <<'PY' || fail "JSON action status"
import json, sys
events = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
info = [e for e in events if e.get("kind") == "generic_info"]
assert len(info) == 1, events
text = json.dumps(info[0])
assert "eActionStatus" in text and "StatusCode" in text and "0x00000000" in text, info[0]
PY
fi
expect_contains "$TRACE_FILE" "fExtendedStatus=true" "the real call asked for the extended status"
pass "extended status in JSON"

printf '{"board":"QMXSIM-X1","capabilities":{"fGetGenericModuleInfo":false}}\n' >"$BOARD"
run_fe -ast -lf "$WORK/job.log"
expect_eq "$RC" 1 "a module without generic information"
expect_contains "$ERR" "Display last action status information is not supported." "the error"
expect_contains "$WORK/job.log" "Action status not supported!" "event 2049"
pass "not supported"
