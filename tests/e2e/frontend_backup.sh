# The configuration backup job through quillmark: archives, names, refusals.
source "$(dirname "$0")/lib.sh"
fe_setup
SIM="$QM_PREFIX/sim"
mkdir -p "$SIM/config"
for area in setup_settings password logo boot_order system_data; do
    head -c 3000 /dev/urandom >"$SIM/config/$area.bin"
done
cd "$WORK"

run_fe -arc -o 'backup_?no?.nvux' -lf job.log
expect_eq "$RC" 0 "backup"
[[ -f backup_000.nvux ]] || fail "no archive backup_000.nvux"
expect_contains "$OUT" "result: configuration archived to backup_000.nvux" "the job's summary"
expect_contains job.log "Archiving system configuration completed" "event 2061"
for area in setup_settings password logo boot_order system_data; do
    cmp -s <(unzip -p backup_000.nvux "$area.bin") "$SIM/config/$area.bin" || fail "$area.bin differs in the archive"
done
# Listings are read whole: grep -q leaving early would break the pipe under pipefail.
listing=$(unzip -l backup_000.nvux)
grep -q "BupInfo2.xml" <<<"$listing" || fail "no BupInfo2.xml in the archive"
run_fe -arc -o 'backup_?no?.nvux'
expect_eq "$RC" 0 "second backup"
[[ -f backup_001.nvux ]] || fail "the next number was not taken"
pass "backup with a numbered name, byte for byte"

sum=$(md5sum backup_000.nvux)
run_fe -arc -o backup_000.nvux
expect_eq "$RC" 1 "an existing archive without -ov"
expect_contains "$ERR" "confirmations missing: overwrite" "the missing confirmation"
expect_eq "$(md5sum backup_000.nvux)" "$sum" "the existing archive is left untouched"
echo stale >stale.bin && zip -q backup_000.nvux stale.bin && rm stale.bin
run_fe -arc -o backup_000.nvux -ov
expect_eq "$RC" 0 "with -ov"
listing=$(unzip -l backup_000.nvux)
grep -q "BupInfo2.xml" <<<"$listing" || fail "the replaced archive has no BupInfo2.xml"
! grep -q "stale.bin" <<<"$listing" || fail "a member of the old archive survived -ov"
compgen -G ".qmarc*" >/dev/null && fail "the archive's build folder was left behind"
pass "existing archive"

run_fe -arc
expect_eq "$RC" 0 "default name"
names=$(ls ./*.nvux)
grep -qv backup_ <<<"$names" || fail "no archive under the default name"
pass "default name"

printf '{"board":"QMXSIM-X1","faults":{"backup_without_bupinfo":true}}\n' >"$SIM/board.json"
run_fe -arc -o nobupinfo.nvux -lf job.log
expect_eq "$RC" 1 "a backup without BupInfo2.xml"
expect_contains "$ERR" "Creation of archive skipped, missing BupInfo.xml" "the error"
expect_contains job.log "Cant create nobupinfo.nvux because BupInfo.xml is missing." "event 2036"
[[ ! -e nobupinfo.nvux ]] || fail "an archive was made without BupInfo2.xml"
pass "missing BupInfo2.xml"
