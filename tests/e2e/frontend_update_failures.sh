# BIOS update failures and passwords through quillmark: each reason gives its
# text, the end steps set the shutdown value.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
make_pkg new.bup --bios 1.01

board_set '{"bios_password": "s3cret"}'
run_fe -at -o new.bup -pwd wrong
expect_eq "$RC" 1 "a wrong password"
expect_contains "$ERR" "Invalid password" "the password error"
expect_eq "$(board_value bios_version)" "1.00" "nothing flashed"
run_fe -at -o new.bup
expect_eq "$RC" 1 "no password"
expect_contains "$ERR" "Invalid password" "a missing password is a wrong one"
run_fe -at -o new.bup -pwd s3cret
expect_eq "$RC" 0 "the plain password"
board_set '{"bios_version": "1.00"}'
RC=0
printf 's3cret\n' | "$QM_FE" --password -at -o new.bup >"$OUT" 2>"$ERR" || RC=$?
expect_eq "$RC" 0 "the password encrypted by the front-end"
expect_eq "$(board_value bios_version)" "1.01" "flashed"
board_set '{"bios_password": "", "bios_version": "1.00"}'
pass "BIOS password"

# Reason byte of the failure -> the user's text.
declare -A texts=(
    [12]="System Firmware Rollback Forbidden"
    [15]="Can't pass image to EFI partition"
    [13]="No update action possible with TXT processor extension enabled."
    [9]="Access denied."
    [2]="BIOS update failed"
)
for reason in "${!texts[@]}"; do
    board_set "{\"faults\": {\"fail_at_step\": 1, \"fail_reason\": $reason}}"
    run_fe -at -o new.bup -lf fail.log
    expect_eq "$RC" 1 "failure with reason $reason"
    expect_contains "$ERR" "${texts[$reason]}" "the text for reason $reason"
    expect_contains fail.log "BIOS update error" "event 1225 for reason $reason"
    expect_eq "$(board_value bios_version)" "1.00" "nothing flashed (reason $reason)"
done
pass "module failures by reason"

board_set '{"faults": {"cancel": true}}'
run_fe -at -o new.bup -lf cancel.log
expect_eq "$RC" 1 "a cancelled update"
expect_contains "$ERR" "BIOS update failed" "the cancel's text"
expect_contains cancel.log "BIOS update error" "event 1225"
pass "cancel"

board_set '{"faults": {}, "capabilities": {"fBiosUpdate": false}}'
run_fe -at -o new.bup
expect_eq "$RC" 1 "a board that cannot update its BIOS"
expect_contains "$ERR" "BIOS update not supported" "the capability message"
board_set '{"capabilities": {}}'
pass "no BIOS update capability"

for step in cold_boot pending; do
    rm -f "${QM_SHUTDOWN_LOG:-/nonexistent}"
    board_set "{\"bios_version\": \"1.00\", \"faults\": {\"end_with\": \"$step\"}}"
    run_fe -at -o new.bup -narb
    expect_eq "$RC" 0 "an update ending with a $step step"
    expect_contains "$ERR" "Automatic reboot skipped" "the $step step needs a reboot"
    wait_kernel_gone 10 "the kernel ended"
    [[ ! -s ${QM_SHUTDOWN_LOG:-/nonexistent} ]] || fail "-narb still rebooted"
done
pass "cold-boot and pending steps"
