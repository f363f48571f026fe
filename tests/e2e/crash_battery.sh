# The kernel killed at each file operation the simulated board makes in its
# state during an update, a restore and a backup (QMXSIM_CRASH_AT_OP=N makes
# the module SIGKILL its process there): afterwards the board is wholly old or
# wholly new, `qmkrnl2 -v` tells the BIOS the flash holds, nothing of the
# interrupted job is left in the state, and the next job succeeds.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
printf 'ec firmware 1.02' >ec.bin
make_pkg v101.bup --bios 1.01
make_pkg v102.bup --bios 1.02 --part ec.bin
unzip -p v101.bup bios.bin >img101
unzip -p v102.bup bios.bin >img102
mkdir -p "$SIM/config"
printf 'old settings' >"$SIM/config/setup_settings.bin"
printf 'old logo' >"$SIM/config/logo.bin"
run_fe update v101.bup
expect_eq "$RC" 0 "the board at 1.01"
printf 'new settings' >"$SIM/config/setup_settings.bin"
printf 'new logo' >"$SIM/config/logo.bin"
run_fe backup new.nvux
expect_eq "$RC" 0 "an archive of the new settings"
printf 'old settings' >"$SIM/config/setup_settings.bin"
printf 'old logo' >"$SIM/config/logo.bin"
wait_kernel_gone 12 "the setup's kernel ended"
rm -rf /tmp/sim.base && cp -a "$SIM" /tmp/sim.base

fresh_board() { rm -rf "$SIM" && cp -a /tmp/sim.base "$SIM"; }

# Leftovers of an interrupted job in the state: staged files, temporaries, the journal.
no_leftovers() {  # what
    local left
    left=$(find "$SIM" \( -name '*.commit' -o -name '*.tmp.*' -o -name 'commit.json' -o -name 'flash.staging' \) -print)
    [[ -z $left ]] || fail "$1: left behind: $left"
}

bios_told() { "$QM_KRNL" -v 2>/dev/null | sed -n 's/^Active BIOS[ .]*: //p'; }

# Runs the job with a crash at each operation until it runs through; $1 names
# the check of the state after each crash.
battery() {  # what check job...
    local what=$1 check=$2 n=1 crashes=0
    shift 2
    while :; do
        ((n < 300)) || fail "$what: still crashing at operation $n"
        fresh_board
        local rc=0
        QMXSIM_CRASH_AT_OP=$n "$QM_FE" "$@" >"$OUT" 2>"$ERR" </dev/null || rc=$?
        wait_kernel_gone 12 "$what at $n: the kernel ended"
        ((rc == 0)) || expect_contains "$ERR" "ended by signal 9" "$what at operation $n: the kernel was killed"
        # The module finishes or drops what the crash interrupted when it next installs.
        TOLD=$(bios_told)
        no_leftovers "$what at operation $n"
        "$check" "$what at operation $n"
        no_leftovers "$what at operation $n, after the next job"
        ((rc == 0)) && break
        crashes=$((crashes + 1))
        n=$((n + 1))
    done
    ((crashes > 3)) || fail "$what: only $crashes crashes"
    pass "$what: $crashes crashes, each left the old or the new state"
}

update_check() {
    local told=$TOLD
    if cmp -s "$SIM/flash.bin" img102; then
        expect_eq "$told" "1.02" "$1: the new flash and its version"
        expect_eq "$(cat "$SIM/parts/ec.bin" 2>/dev/null)" "ec firmware 1.02" "$1: the new part"
    else
        cmp -s "$SIM/flash.bin" img101 || fail "$1: the flash holds neither image"
        expect_eq "$told" "1.01" "$1: the old flash and its version"
        [[ -e $SIM/parts/ec.bin ]] && fail "$1: a part of 1.02 beside the 1.01 flash"
    fi
    # The next update succeeds whichever state the crash left.
    run_fe update v102.bup --allow-reinstall
    expect_eq "$RC" 0 "$1: the next update"
    expect_eq "$(bios_told)" "1.02" "$1: the next update's BIOS"
}
battery "update" update_check update v102.bup

restore_check() {
    local settings logo
    settings=$(cat "$SIM/config/setup_settings.bin") logo=$(cat "$SIM/config/logo.bin")
    [[ "$settings/$logo" == "old settings/old logo" || "$settings/$logo" == "new settings/new logo" ]] ||
        fail "$1: a mix of areas: '$settings' and '$logo'"
    run_fe restore new.nvux
    expect_eq "$RC" 0 "$1: the next restore"
    expect_eq "$(cat "$SIM/config/logo.bin")" "new logo" "$1: the next restore's areas"
}
battery "restore" restore_check restore new.nvux

backup_check() {
    cmp -s "$SIM/board.json" /tmp/sim.base/board.json || fail "$1: a backup changed the board"
    if [[ -e crash.nvux ]]; then
        unzip -p crash.nvux setup_settings.bin | grep "old settings" >/dev/null || fail "$1: an archive that is not whole"
        rm -f crash.nvux
    fi
    run_fe backup crash.nvux
    expect_eq "$RC" 0 "$1: the next backup"
    rm -f crash.nvux
}
battery "backup" backup_check backup crash.nvux

# A flash that does not hold the image the board records is refused at
# install instead of reported; make-state --repair makes the board usable.
fresh_board
run_fe update v102.bup
expect_eq "$RC" 0 "an update to check against"
wait_kernel_gone 12 "the update's kernel ended"
printf 'not the image' >"$SIM/flash.bin"
told=$(bios_told)
[[ -z $told ]] || fail "a damaged flash was reported as BIOS $told"
"$QM_SOURCE_DIR/modules/qmxsim/make-state" "$SIM" --repair >/dev/null || fail "make-state --repair"
expect_eq "$(bios_told)" "1.02" "the repaired board installs"
rm "$SIM/parts/ec.bin"
[[ -z $(bios_told) ]] || fail "a board with a part missing installed"
pass "damage is refused, repair makes the board usable"
