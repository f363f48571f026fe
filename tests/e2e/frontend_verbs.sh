# The common jobs as verbs: update, backup, restore, last-action, status and
# combine, with names relative to where the user stands and long flags for the
# confirmations.
source "$(dirname "$0")/lib.sh"
fe_setup
mkdir -p "$WORK/pkgs" "$WORK/elsewhere"
cd "$WORK/pkgs"
make_pkg new.bup --bios 1.01
cd "$WORK/elsewhere"

run_fe update ../pkgs/new.bup --log job.log
expect_eq "$RC" 0 "update"
expect_eq "$(board_value bios_version)" "1.01" "the board runs the package's BIOS"
expect_contains "$WORK/elsewhere/job.log" "The BIOS has been updated" "--log"
wait_kernel_gone 5 "the update ended its kernel"
run_fe update ../pkgs/new.bup
expect_eq "$RC" 1 "the same BIOS again without its flag"
expect_contains "$ERR" "confirmations missing" "the kernel asks for the confirmation"
wait_kernel_gone 5 "the refused update ended its kernel"
run_fe update ../pkgs/new.bup --allow-reinstall
expect_eq "$RC" 0 "--allow-reinstall"
pass "update"

wait_kernel_gone 5 "the reinstall ended its kernel"
run_fe update ../pkgs
expect_eq "$RC" 1 "a folder is scanned: the one package there is the BIOS the board runs"
expect_contains "$OUT" "new.bup" "the folder's package was a candidate"
pass "update from a folder"

wait_kernel_gone 5 "the scan ended its kernel"
run_fe backup ../pkgs/saved.nvux
expect_eq "$RC" 0 "backup"
[[ -s $WORK/pkgs/saved.nvux ]] || fail "the archive is not where it was named"
wait_kernel_gone 5 "the backup ended its kernel"
run_fe restore ../pkgs/saved.nvux --allow-reinstall
expect_eq "$RC" 0 "restore"
pass "backup and restore"

wait_kernel_gone 5 "the restore ended its kernel"
run_fe last-action
expect_eq "$RC" 0 "last-action"
run_fe status
expect_eq "$RC" 0 "status"
expect_contains "$OUT" "QMXSIM-X1" "status shows the board"
pass "last-action and status"

run_fe combine --bios ../pkgs/new.bup --config ../pkgs/saved.nvux -o combined.bup
expect_eq "$RC" 0 "combine"
[[ -s $WORK/elsewhere/combined.bup ]] || fail "the combined package is not where it was named"
pass "combine"

run_fe update a.bup b.bup
expect_eq "$RC" 2 "two packages"
run_fe update --allow-newer
expect_eq "$RC" 2 "an unknown flag"
expect_contains "$ERR" "'--allow-newer'" "the flag is named"
pass "verb mistakes"
