# The archives a root job writes, where a local user or the disk can interfere:
# a link or a file of the user's own planted at the archive's name, a target on
# a full or a read-only file system. The job fails with the file named, the old
# file stays as it was and nothing half-written is left.
source "$(dirname "$0")/lib.sh"
fe_setup
mkdir -p "$SIM/config"
head -c 50000 /dev/urandom >"$SIM/config/setup_settings.bin"

no_leftovers() {  # dir what
    compgen -G "$1/.qmarc*" >/dev/null && fail "$2: a build folder was left in $1"
    compgen -G "$1/*.nvux.*" >/dev/null && fail "$2: a half-written archive was left in $1"
    true
}

if nobody true; then
    shared=/tmp/shared
    mkdir -p "$shared" && chmod 1777 "$shared"
    echo "root's" >/tmp/victim
    nobody ln -s /tmp/victim "$shared/link.nvux"
    nobody sh -c "echo mine >'$shared/theirs.nvux'"
    cd "$shared"
    for name in link.nvux theirs.nvux; do
        run_fe -arc -o "$name" -ov -lf "/tmp/$name.log"
        expect_eq "$RC" 1 "a backup over the planted $name"
        expect_contains "$ERR" "Error during storing data in file $shared/$name." "$name: the file named"
        no_leftovers "$shared" "$name"
    done
    expect_eq "$(cat /tmp/victim)" "root's" "the link's target"
    [[ -L link.nvux ]] || fail "the user's link was replaced"
    expect_eq "$(cat theirs.nvux)" "mine" "the user's own file"
    pass "no archive written through a planted link or into a user's file"
    cd /
fi

# A full file system: the archive cannot be written whole.
mkdir -p /tmp/full
mount -t tmpfs -o size=64k qm-full /tmp/full || fail "cannot mount a small tmpfs"
head -c 60000 /dev/zero >/tmp/full/filler 2>/dev/null
cd /tmp/full
echo old >keep.nvux
run_fe -arc -o keep.nvux -ov -lf /tmp/full.log
expect_eq "$RC" 1 "a backup onto a full disk"
expect_contains "$ERR" "Could not create BUP" "the error"
expect_not_contains "$OUT" "result: configuration archived" "the summary"
expect_eq "$(cat keep.nvux)" "old" "the old archive"
expect_contains /tmp/full.log "Configuration backup failed" "event 2060"
no_leftovers /tmp/full "full disk"
run_fe -arc -o new.nvux -lf /tmp/full.log
expect_eq "$RC" 1 "a new archive onto a full disk"
[[ ! -e new.nvux ]] || fail "a partial archive was left on the full disk"
no_leftovers /tmp/full "full disk, new archive"
pass "full disk"

# A read-only file system.
cd /
rm -f /tmp/full/filler
mount -o remount,ro /tmp/full || fail "cannot make the tmpfs read-only"
cd /tmp/full
run_fe -arc -o ro.nvux -lf /tmp/ro.log
expect_eq "$RC" 1 "a backup onto a read-only file system"
[[ -s $ERR ]] || fail "no error for the read-only target"
[[ ! -e ro.nvux ]] || fail "an archive appeared on the read-only file system"
pass "read-only target"

# A temporary directory too small for the package's image: the update checks
# the free space before it writes and fails, naming the folder.
cd /
wait_kernel_gone 12 "a fresh kernel for the small temporary directory"
mkdir -p /tmp/tiny /tmp/pkgs
mount -t tmpfs -o size=256k qm-tiny /tmp/tiny || fail "cannot mount a small tmpfs"
cd /tmp/pkgs
make_pkg big.bup --bios 1.05
unzip -p big.bup BupInfo2.xml >desc.xml
craft_zip big.bup BupInfo2.xml "$(cat desc.xml)" 0 0 1 bios.bin 0123456789abcdefghijklmnopqrstuvwxyz 0 0 30000
RC=0
TMPDIR=/tmp/tiny TEMP= TMP= "$QM_FE" -at -o big.bup -ov >"$OUT" 2>"$ERR" </dev/null || RC=$?
expect_eq "$RC" 1 "an update whose image does not fit the temporary directory"
expect_contains "$ERR" "not enough free space in '/tmp/tiny/" "the refusal"
expect_eq "$(board_value bios_version)" "1.00" "the board's BIOS"
[[ -z $(find /tmp/tiny -name bios.bin) ]] || fail "a part of the image was written: $(find /tmp/tiny -name bios.bin)"
pass "free space checked before extracting"
