# The make command through quillmark: a BIOS package and a configuration
# backup merged into one package that the update job accepts.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
mkdir -p "$SIM/config"
head -c 3000 /dev/urandom >"$SIM/config/setup_settings.bin"
cp "$SIM/config/setup_settings.bin" settings.saved

run_fe -arc -o cfg.nvux
expect_eq "$RC" 0 "the configuration backup"
printf 'scratch' >README
make_pkg bios.bup --bios 1.00
zip -q -j bios.bup README || fail "zip"
wait_kernel_gone 10 "the backup's kernel ended"

# A kernel with the board module is left idle by --status; the make job
# waits for it to end and starts a kernel of its own kind.
run_fe --status
expect_eq "$RC" 0 "status"
idle=$(kernel_pid)
[[ -n $idle ]] || fail "no idle kernel to wait for"
run_fe --make -o combined.bup -binp bios.bup -cinp cfg.nvux -lf make.log
expect_eq "$RC" 0 "the make command"
kill -0 "$idle" 2>/dev/null && fail "the make job was served while the idle kernel still ran"
expect_contains "$OUT" "result: combined package made: combined.bup" "the summary"
expect_contains make.log "Making combined archive completed" "event 1256"
members=$(unzip -Z1 combined.bup)
[[ $members == *BupInfo2.xml* && $members == *bios.bin* && $members == *setup_settings.bin* ]] ||
    fail "combined.bup holds: $members"
[[ $members != *README* ]] || fail "a file without a point went into the package"
pass "combined package made"

printf 'old' >keep.bup
run_fe --make -o keep.bup -binp bios.bup -cinp cfg.nvux -lf make.log
expect_eq "$RC" 1 "an existing target without -ov"
expect_contains "$ERR" "Can't overwrite file" "the refusal"
expect_eq "$(cat keep.bup)" "old" "the old package is left alone"
run_fe --make -o keep.bup -binp bios.bup -cinp cfg.nvux -ov
expect_eq "$RC" 0 "with -ov"
members=$(unzip -Z1 keep.bup)
[[ $members == *BupInfo2.xml* ]] || fail "keep.bup was not replaced: $members"
pass "overwrite"

run_fe --make -o bad.bup -binp README -cinp cfg.nvux -lf bad.log
expect_eq "$RC" 1 "an input that is no archive"
expect_contains "$ERR" "no combined package was made" "the failure in the summary"
expect_contains bad.log "Making combined archive failed" "event 1257"
pass "bad input"

# The update job takes the combined package: the BIOS and the configuration.
head -c 100 /dev/urandom >"$SIM/config/setup_settings.bin"
run_fe -at -o combined.bup -ov
expect_eq "$RC" 0 "update from the combined package"
cmp -s "$SIM/config/setup_settings.bin" settings.saved || fail "the settings did not come back with the update"
pass "the update job accepts the combined package"

# An update job that names areas besides the BIOS code restores just those
# areas from the package, through the module's restore.
cp "$SIM/flash.bin" flash.before
head -c 50 /dev/urandom >"$SIM/config/setup_settings.bin"
printf 'logo before' >"$SIM/config/logo.bin"
run_fe -at -o combined.bup -ov --nvram
expect_eq "$RC" 0 "an update of the setup area only"
cmp -s "$SIM/config/setup_settings.bin" settings.saved || fail "the setup area was not restored"
expect_eq "$(cat "$SIM/config/logo.bin")" "logo before" "an area not named is left alone"
cmp -s "$SIM/flash.bin" flash.before || fail "the BIOS code was written"
pass "areas besides the BIOS code"
