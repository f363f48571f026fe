# Configuration restore through quillmark: a backup comes back byte for byte,
# the module's shutdown request reaches the recording shutdown stub.
source "$(dirname "$0")/lib.sh"
fe_setup
SIM="$QM_PREFIX/sim"
AREAS="setup_settings password logo boot_order system_data"
mkdir -p "$SIM/config" "$WORK/saved"
for area in $AREAS; do
    head -c 4000 /dev/urandom >"$SIM/config/$area.bin"
    cp "$SIM/config/$area.bin" "$WORK/saved/"
done
cd "$WORK"

run_fe -arc -o saved.nvux
expect_eq "$RC" 0 "backup"
for area in $AREAS; do head -c 100 /dev/urandom >"$SIM/config/$area.bin"; done
run_fe -nvu -o saved.nvux -lf job.log
expect_eq "$RC" 0 "restore"
for area in $AREAS; do
    cmp -s "$SIM/config/$area.bin" "saved/$area.bin" || fail "$area.bin was not restored byte for byte"
done
expect_contains job.log "System configuration data has been updated with saved.nvux." "event 1231"
expect_contains "$OUT" "result: configuration restored from saved.nvux" "the job's summary"
[[ ! -s ${QM_SHUTDOWN_LOG:-/nonexistent} ]] || fail "a restore without a shutdown request rebooted"
pass "backup then restore, byte for byte"

printf '{"board":"QMXSIM-X1","bios_password":"s3cret"}\n' >"$SIM/board.json"
run_fe -nvu -o saved.nvux -pwd wrong
expect_eq "$RC" 1 "wrong password"
expect_contains "$ERR" "Invalid password" "the password error"
expect_contains "$ERR" "result: failed: Invalid password" "the failure's summary"
RC=0
printf 's3cret\n' | "$QM_FE" --password -nvu -o saved.nvux >"$OUT" 2>"$ERR" || RC=$?
expect_eq "$RC" 0 "the right password, encrypted by the front-end"
pass "BIOS password"

printf '{"board":"QMXSIM-X1","faults":{"end_with":"pending"}}\n' >"$SIM/board.json"
run_fe -nvu -o saved.nvux
expect_eq "$RC" 0 "a restore that needs a restart"
expect_contains "$ERR" "Rebooting system..." "the reboot warning"
expect_contains "$OUT" "the system reboots in 2 minutes" "the summary names the reboot"
if [[ $(id -u) == 0 && -n ${QM_SHUTDOWN_LOG:-} ]]; then
    wait_for_text "$QM_SHUTDOWN_LOG" "--" 10 "the shutdown stub"
    expect_contains "$QM_SHUTDOWN_LOG" "The system is going down because the system configuration data was updated" \
        "the reboot message"
    expect_contains "$QM_SHUTDOWN_LOG" "+2" "two minutes"
fi
pass "shutdown request"

rm -f "${QM_SHUTDOWN_LOG:-/nonexistent}"
run_fe -nvu -o saved.nvux -narb
expect_eq "$RC" 0 "restart refused by the job"
expect_contains "$ERR" "Automatic reboot skipped" "the skip warning"
sed -i 's/^SkipReboot=0/SkipReboot=1/' "$PROFILE"
run_fe -nvu -o saved.nvux
expect_eq "$RC" 0 "restart skipped by the profile"
sleep 1
[[ ! -s ${QM_SHUTDOWN_LOG:-/nonexistent} ]] || fail "a skipped reboot still ran the shutdown program"
pass "no reboot with -narb or SkipReboot"
