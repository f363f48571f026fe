# BIOS update through quillmark on the simulated board: the flash takes the
# package's image, confirmations are asked for, the reboot decision acts.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"

make_pkg new.bup --bios 1.01 --date 03-01-2024
run_fe -at -o new.bup -lf job.log
expect_eq "$RC" 0 "update from a newer package"
unzip -p new.bup bios.bin >image.expected
cmp -s "$SIM/flash.bin" image.expected || fail "flash.bin is not the package's image"
expect_eq "$(board_value bios_version)" "1.01" "the board runs the new BIOS"
expect_contains "$OUT" "progress: 100%" "progress reached the end"
expect_contains "$OUT" "result: BIOS updated from new.bup" "the job's summary"
expect_contains job.log "The BIOS has been updated with $WORK/new.bup." "event 2028"
expect_not_contains job.log "System will be rebooted." "server-mode reboot events reach no job log"
sleep 1
[[ ! -s ${QM_SHUTDOWN_LOG:-/nonexistent} ]] || fail "an update that allows every power state rebooted"
pass "newer package"

for version in 1.01 1.00; do
    make_pkg same.bup --bios "$version"
    run_fe -at -o same.bup
    expect_eq "$RC" 1 "BIOS $version over 1.01 without -ov"
    expect_contains "$ERR" "confirmations missing: overwrite" "the missing confirmation"
    expect_eq "$(board_value bios_version)" "1.01" "nothing was flashed"
done
run_fe -at -o same.bup -ov
expect_eq "$RC" 0 "an older package with -ov"
expect_eq "$(board_value bios_version)" "1.00" "the older BIOS went in"
pass "equal and older packages need -ov"

make_pkg boot.bup --bios 1.02 --reboot before
run_fe -at -o boot.bup
expect_eq "$RC" 1 "a package updated across a reboot, without -arb"
expect_contains "$ERR" "confirmations missing: allow reboot" "the reboot confirmation"
pass "reboot confirmation"

make_pkg other.bup --board OTHER-BOARD --bios 9.00
run_fe -at -o other.bup
expect_eq "$RC" 1 "a package for another board"
expect_contains "$ERR" "The BIOS version in the file is not update compatible with the version installed." \
    "the incompatible message"
pass "package for another board"

mkdir -p several && cd several
make_pkg a.bup --bios 1.01 --date 01-10-2024
make_pkg b.bup --bios 1.05 --date 04-10-2024
make_pkg c.bup --bios 1.03 --date 03-10-2024
run_fe -at
expect_eq "$RC" 0 "update choosing among several packages"
expect_contains "$OUT" "CANDIDATE" "the candidates as a table"
expect_contains "$OUT" "file: b.bup" "the newest BIOS was chosen"
expect_eq "$(board_value bios_version)" "1.05" "and flashed"
cd "$WORK"
pass "newest of several"

# The BIOS asks for all power states off: the kernel reboots the machine.
make_pkg reboot.bup --bios 1.06 --reboot after
run_fe -at -o reboot.bup -arb -lf reboot.log
expect_eq "$RC" 0 "an update that needs a reboot"
expect_contains "$ERR" "Rebooting system..." "the reboot warning"
expect_contains "$OUT" "the system reboots in 2 minutes" "the summary names the reboot"
if [[ $(id -u) == 0 && -n ${QM_SHUTDOWN_LOG:-} ]]; then
    wait_for_text "$QM_SHUTDOWN_LOG" "--" 10 "the shutdown stub"
    expect_contains "$QM_SHUTDOWN_LOG" "-r" "a restart"
    expect_contains "$QM_SHUTDOWN_LOG" "+2" "in two minutes"
    expect_contains "$QM_SHUTDOWN_LOG" "The system is going down because the system BIOS was flashed" "the BIOS message"
fi
expect_not_contains reboot.log "System will be rebooted." "event 2037 finds the job's log name cleared"
pass "reboot after the update"

rm -f "${QM_SHUTDOWN_LOG:-/nonexistent}"
wait_kernel_gone 10 "the rebooting kernel ended"
sed -i 's/^SkipReboot=0/SkipReboot=1/' "$PROFILE"
grep -q '^SkipReboot=1' "$PROFILE" || fail "the profile has no SkipReboot key"
make_pkg reboot2.bup --bios 1.07 --reboot after
run_fe -at -o reboot2.bup -arb -lf skip.log
expect_eq "$RC" 0 "an update that needs a reboot, skipped by the profile"
wait_kernel_gone 10 "the kernel ended"
expect_contains skip.log "The BIOS has been updated with" "the job logged"
expect_not_contains skip.log "Automatic reboot skipped" "event 2047 finds the job's log name cleared"
[[ ! -s ${QM_SHUTDOWN_LOG:-/nonexistent} ]] || fail "SkipReboot=1 still ran the shutdown program"
expect_eq "$(board_value bios_version)" "1.07" "the update itself happened"
pass "SkipReboot"
