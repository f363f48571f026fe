# Every refusal a user meets through quillmark ends with one line saying what
# to do: the flag to add, the boards and versions that did not match, the files
# looked at. The kernel's own text stays as it is, in the log and in --json.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
make_pkg same.bup --bios 1.00
make_pkg old.bup --bios 0.90
make_pkg new.bup --bios 1.01
make_pkg first.bup --bios 1.02 --reboot before
make_pkg other.bup --bios 1.05 --board OTHERBOARD --board X9

expect_hint() {  # exit-code hint-text what
    expect_eq "$RC" "$1" "$3: exit code"
    grep '^hint: ' "$ERR" | grep -F -- "$2" >/dev/null || fail "$3: no hint line with '$2'"
}

run_fe update same.bup
expect_contains "$ERR" "error: confirmations missing: overwrite" "the kernel's text stays"
expect_hint 1 "the board runs this BIOS already: add --allow-reinstall (-ov)" "the same BIOS again"
run_fe update old.bup --log old.log
expect_hint 1 "older than the installed one: add --allow-older (-ov)" "an older BIOS"
expect_contains old.log "confirmations missing: overwrite" "the log keeps the kernel's text"
expect_not_contains old.log "hint" "the hint is the front-end's own"
run_fe update first.bup
expect_hint 1 "the job needs a reboot: add --reboot (-arb)" "a reboot to confirm"
pass "missing confirmations name their flags"

run_fe update other.bup
expect_hint 1 "other.bup is for boards OTHERBOARD, X9 with BIOS 1.05; this machine is QMXSIM-X1 running BIOS 1.00: use a package made for QMXSIM-X1" \
    "a package for other boards"
mkdir -p scan && cp other.bup scan/a.bup && cp other.bup scan/b.bup
run_fe update scan
expect_hint 1 "a.bup is for boards OTHERBOARD, X9 with BIOS 1.05" "every package scanned is named"
expect_hint 1 "b.bup is for boards OTHERBOARD, X9 with BIOS 1.05" "every package scanned is named"
pass "mismatches name the boards and versions"

run_fe -at -o 'zz*.bup'
expect_hint 1 "no file in $WORK matches 'zz*.bup'" "no candidate"
pass "no candidate"

board_set '{"bios_password": "s3cret"}'
run_fe update new.bup
expect_hint 1 "the board has a BIOS password: add --password" "a missing password"
run_fe --json -at -o new.bup -pwd wrong
expect_eq "$RC" 1 "a wrong password in JSON"
python3 - "$OUT" <<'PY' || fail "the hint in the done event"
import json, sys
events = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
done = events[-1]
assert done["event"] == "done" and done["summary"] == "failed: Invalid password", done
assert "add --password" in done["hint"], done
errors = [e["text"] for e in events if e.get("kind") == "error"]
assert errors == ["Invalid password"], errors
PY
board_set '{"bios_password": ""}'
run_fe update new.bup
expect_eq "$RC" 0 "a good job"
expect_not_contains "$ERR" "hint:" "no hint after a good job"
pass "password"

run_fe backup saved.nvux
run_fe backup saved.nvux
expect_hint 1 "the archive is there already: add --overwrite (-ov)" "an archive that exists"
pass "backup over an archive"

if nobody true; then
    wait_kernel_gone 12 "the last kernel ended"
    run_fe --status
    RC=0
    nobody "$QM_FE" update new.bup >"$OUT" 2>"$ERR" </dev/null || RC=$?
    expect_hint 1 "run it as root (sudo quillmark ...)" "a user without privileges"
    pass "privileges"
fi

wait_kernel_gone 12 "the last kernel ended"
mv "$SIM" "$SIM.away"
run_fe update new.bup
expect_hint 4 "install the board module for this machine" "no module"
run_fe --json update new.bup
expect_eq "$RC" 4 "no module in JSON"
grep -q '"event":"failure".*"hint":"install the board module' "$OUT" || fail "the failure event carries the hint: $(cat "$OUT")"
pass "no module"
