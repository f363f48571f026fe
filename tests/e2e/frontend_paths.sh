# Packages, archives and logs named as people name them: absolute, or relative
# to where they stand, wherever that is; an input that is not there is named
# by the front-end before any kernel hears of the job.
source "$(dirname "$0")/lib.sh"
fe_setup
mkdir -p "$WORK/pkgs" "$WORK/elsewhere" "$WORK/logs"
cd "$WORK/pkgs"
make_pkg new.bup --bios 1.01
make_pkg newer.bup --bios 1.02
cd "$WORK/elsewhere"

run_fe -at -o ../pkgs/new.bup -lf ../logs/job.log
expect_eq "$RC" 0 "update from a relative path"
expect_eq "$(board_value bios_version)" "1.01" "the board runs the package's BIOS"
expect_contains "$OUT" "result: BIOS updated from new.bup" "the summary names the package"
expect_contains "$WORK/logs/job.log" "The BIOS has been updated with $WORK/pkgs/new.bup." "the log went where it was named"
pass "relative package and log"

wait_kernel_gone 5 "the first job ended its kernel"
run_fe -at -o "$WORK/pkgs/newer.bup"
expect_eq "$RC" 0 "update from an absolute path"
expect_eq "$(board_value bios_version)" "1.02" "the board runs the newer BIOS"
pass "absolute package"

wait_kernel_gone 5 "the second job ended its kernel"
run_fe -arc -o ../pkgs/saved.nvux
expect_eq "$RC" 0 "backup into a relative path"
[[ -s $WORK/pkgs/saved.nvux ]] || fail "the archive is not where it was named"
wait_kernel_gone 5 "the backup ended its kernel"
run_fe -nvu -o "$WORK/pkgs/saved.nvux" -ov
expect_eq "$RC" 0 "restore from an absolute path"
pass "backup and restore by path"

wait_kernel_gone 5 "the restore ended its kernel"
for missing in ../pkgs/none.bup "$WORK/none/new.bup"; do
    run_fe -at -o "$missing"
    expect_eq "$RC" 2 "$missing: usage error"
    expect_contains "$ERR" "$WORK/" "$missing: the path is named"
    [[ -z $(kernel_pid) ]] || fail "$missing: a kernel was started"
done
expect_contains "$ERR" "no such folder for -o: $WORK/none" "a missing folder"
pass "missing inputs"
