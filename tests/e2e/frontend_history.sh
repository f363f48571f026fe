# The kernel keeps one line per job in its history; `quillmark history` shows
# it to anyone, without the passwords the jobs carried.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
HISTORY=/var/lib/quillmark/history.jsonl
make_pkg new.bup --bios 1.01 --reboot after

run_fe history
expect_eq "$RC" 0 "an empty history"
expect_contains "$OUT" "no job in the history yet" "said so"

board_set '{"bios_password": "s3cret"}'
run_fe -at -o new.bup -pwd s3cret -narb
expect_eq "$RC" 0 "an update"
run_fe update new.bup
expect_eq "$RC" 1 "the same BIOS again"
run_fe backup saved.nvux
expect_eq "$RC" 0 "a backup"
run_fe -i
expect_eq "$RC" 0 "an information request is no job"

expect_not_contains "$HISTORY" "s3cret" "no password in the history"
[[ $(stat -c '%U %a' "$HISTORY") == "root 644" ]] || fail "history owned by $(stat -c '%U %a' "$HISTORY")"
run_fe history
expect_eq "$RC" 0 "history"
expect_eq "$(wc -l <"$OUT")" 3 "three jobs"
expect_contains "$OUT" "root  update  done (reboot needed)  $WORK/new.bup" "the update"
expect_contains "$OUT" "update  failed  $WORK/new.bup: confirmations missing: overwrite" "the refusal and its reason"
expect_contains "$OUT" "root  backup  done  $WORK/saved.nvux" "the backup"
pass "jobs in the history"

run_fe --json history
expect_eq "$RC" 0 "history in JSON"
python3 - "$OUT" <<'PY' || fail "JSON history"
import json, sys
events = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
assert events[0]["event"] == "start", events[0]
h = events[1:]
assert [e["event"] for e in h] == ["history"] * 3, h
assert [e["job"] for e in h] == ["update", "update", "backup"], h
assert h[0]["command_line"].endswith("-pwc ******** -narb") and h[0]["reboot"] == "needed", h[0]
assert h[0]["user"] == "root" and h[0]["uid"] == 0 and h[0]["result"] == "done", h[0]
assert h[1]["text"] == "confirmations missing: overwrite" and h[1]["result"] == "failed", h[1]
assert "text" not in h[2], h[2]
PY
pass "history in JSON"

if nobody true; then
    RC=0
    nobody "$QM_FE" history >"$OUT" 2>"$ERR" </dev/null || RC=$?
    expect_eq "$RC" 0 "another user reads the history"
    expect_eq "$(wc -l <"$OUT")" 3 "the same three jobs"
    pass "readable by all"
fi

# Damage in the file costs the damaged lines only.
printf 'garbage\n' >>"$HISTORY"
run_fe history
expect_eq "$RC" 0 "a damaged line"
expect_contains "$ERR" "1 line(s) of the history could not be read" "counted"
expect_eq "$(wc -l <"$OUT")" 3 "the good lines stay"
pass "damaged lines"
