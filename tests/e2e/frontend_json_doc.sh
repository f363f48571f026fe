# What --json prints is what docs/json.md says: every event, field, type and
# message kind of a set of runs that covers them all is checked against its tables.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
make_pkg new.bup --bios 1.01 --reboot after
make_pkg same.bup --bios 1.00
mkdir -p runs
n=0
json_run() {  # expected-exit args...
    local want=$1
    shift
    n=$((n + 1))
    RC=0
    "$QM_FE" --json "$@" >"runs/$n.jsonl" 2>"$ERR" </dev/null || RC=$?
    expect_eq "$RC" "$want" "quillmark --json $*"
}

json_run 0 status
json_run 1 update same.bup
json_run 0 update new.bup --no-reboot
json_run 0 -ast -estat
json_run 0 backup saved.nvux
json_run 0 restore saved.nvux
json_run 0 history
json_run 0 boot-check
json_run 2 update missing.bup
mv "$SIM" "$SIM.away"
wait_kernel_gone 20 "the kernel ended"
json_run 4 status
json_run 4 last-action
python3 "$QM_SOURCE_DIR/tests/e2e/json_doc_check.py" "$QM_SOURCE_DIR/docs/json.md" runs/*.jsonl \
    --require start,status,accepted,message,done,failure,history,boot_check,kind:candidate,kind:error,kind:progress,kind:generic_info,kind:file,kind:action \
    || fail "the output does not match docs/json.md"
grep -q '"hint"' runs/2.jsonl || fail "the refusal's hint is in its done event"
pass "every event matches docs/json.md"

# The checker itself catches a field the document does not know.
printf '{"event":"start","schema":1,"version":"x","extra":1}\n' >bad.jsonl
python3 "$QM_SOURCE_DIR/tests/e2e/json_doc_check.py" "$QM_SOURCE_DIR/docs/json.md" bad.jsonl 2>/dev/null &&
    fail "an undocumented field passed"
pass "an undocumented field fails"
