# A job whose module failed is never summarised as done: for each job kind the
# exit code is 1 and the summary carries the failure.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
make_pkg new.bup --bios 1.01
mkdir -p "$SIM/config"
head -c 200000 /dev/urandom >"$SIM/config/setup_settings.bin"
run_fe backup saved.nvux
expect_eq "$RC" 0 "a first backup"

expect_failed() {  # what text
    expect_eq "$RC" 1 "$1: exit code"
    expect_contains "$ERR" "result: failed: $2" "$1: the summary"
    expect_not_contains "$OUT" "result:" "$1: no summary of success"
}

board_set '{"faults": {"fail_at_step": 1, "fail_reason": 2}}'
run_fe update new.bup
expect_failed "update" "BIOS update failed"
run_fe restore saved.nvux
expect_failed "restore" "Restoring system configuration data failed"
run_fe backup other.nvux
expect_failed "backup" "Backup failed at step 1"
[[ -e other.nvux ]] && fail "a failed backup left an archive"
board_set '{"faults": {}}'
pass "module failures"

# The module's transfer folder fills up: the write error is the job's error,
# and no archive is claimed.
mkdir -p /tmp/small && mount -t tmpfs -o size=64k qm-small /tmp/small || { echo "SKIP: no small tmpfs"; exit 77; }
RC=0
TMPDIR=/tmp/small "$QM_FE" backup full.nvux >"$OUT" 2>"$ERR" </dev/null || RC=$?
expect_failed "backup into a full folder" "Writing setup_settings.bin failed: No space left on device"
[[ -e full.nvux ]] && fail "an archive was claimed"
pass "full transfer folder"

# The last action's status, when the module cannot read its board after it
# installed: an error and a failed summary, never "action status shown".
run_fe --status
expect_eq "$RC" 0 "an idle kernel, its module installed"
cp "$SIM/board.json" /tmp/board.good
printf 'not json' >"$SIM/board.json"
run_fe last-action
cp /tmp/board.good "$SIM/board.json"
expect_failed "last-action" "the board module gave no status of the last action"
pass "last action"
