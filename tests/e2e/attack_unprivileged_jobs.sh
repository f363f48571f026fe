# A local user (uid 65534) asks a root kernel for jobs. Those that change the
# machine or read its secrets (update, restore, backup, make) are refused with
# the reason and the uid in the event log, and change nothing; read-only jobs
# stay open; a member of the profile's allowed group is served. The user is
# the owner of the response FIFO as the kernel sees it: a FIFO others may
# write to ends the session before any job.
source "$(dirname "$0")/lib.sh"
fe_setup
nobody true || exit 77
mkdir -p "$SIM/config"
head -c 3000 /dev/urandom >"$SIM/config/setup_settings.bin"

shared=/tmp/shared
mkdir -p "$shared" && chmod 1777 "$shared"
cd "$shared"
make_pkg new.bup --bios 1.05
run_fe -arc -o saved.nvux
expect_eq "$RC" 0 "root's backup"
chmod 644 new.bup saved.nvux
settings=$(md5sum <"$SIM/config/setup_settings.bin")

as_nobody_fe() {  # job...
    wait_kernel_gone 12 "the last kernel ended"
    # A root kernel, left idle by root's --status, is the one the user meets.
    run_fe --status
    expect_eq "$RC" 0 "a root kernel"
    RC=0
    nobody "$QM_FE" "$@" >"$OUT" 2>"$ERR" </dev/null || RC=$?
}

for job in "-at -o new.bup -ov" "-nvu -o saved.nvux" "-arc -o mine.nvux"; do
    # shellcheck disable=SC2086
    as_nobody_fe $job -lf "/tmp/refused.log"
    expect_eq "$RC" 1 "'$job' as uid 65534"
    expect_contains "$ERR" "This job needs root" "'$job': the reason"
    expect_contains /tmp/refused.log "Job refused for uid 65534" "'$job': the event"
done
expect_eq "$(board_value bios_version)" "1.00" "the board's BIOS"
expect_eq "$(md5sum <"$SIM/config/setup_settings.bin")" "$settings" "the board's configuration"
[[ ! -e mine.nvux ]] || fail "a backup was written for uid 65534"
pass "update, restore and backup refused"

wait_kernel_gone 12 "the last kernel ended"
"$QM_KRNL" --server --noextlocate >/dev/null 2>&1 &
wait_request_fifo 10 "the kernel started here"
RC=0
nobody "$QM_FE" --make -o combined.bup -binp new.bup -cinp saved.nvux >"$OUT" 2>"$ERR" </dev/null || RC=$?
expect_eq "$RC" 1 "the make command as uid 65534"
expect_contains "$ERR" "This job needs root" "make: the reason"
[[ ! -e combined.bup ]] || fail "a combined package was made for uid 65534"
pass "make refused"

# The announcement block of a running kernel: the kernel's alone to write.
wait_kernel_gone 12 "the make kernel ended"
run_fe --status
kpid=$(kernel_pid)
# /proc/sysvipc/shm: key shmid perms size cpid lpid nattch uid ...
read -r id perms uid < <(awk -v pid="$kpid" '$4 == 2104 && $5 == pid {print $2, $3, $8}' /proc/sysvipc/shm)
[[ -n ${id:-} ]] || fail "no announcement block of kernel $kpid in: $(cat /proc/sysvipc/shm)"
expect_eq "$uid $((8#$perms & 8#777))" "0 420" "the announcement block's owner and mode (0644)"
attach='import ctypes, sys
libc = ctypes.CDLL(None, use_errno=True)
libc.shmat.restype = ctypes.c_void_p
ok = libc.shmat(int(sys.argv[1]), None, int(sys.argv[2])) not in (None, 2**64 - 1)
sys.exit(0 if ok else 1)'
nobody /usr/bin/python3 -I -S -c "$attach" "$id" 0 && fail "uid 65534 attached the announcement block read-write"
nobody /usr/bin/python3 -I -S -c "$attach" "$id" $((0x1000)) || fail "uid 65534 cannot read the announcement"
pass "the announcement block is read-only to others"

as_nobody_fe -ast
expect_eq "$RC" 0 "the action status as uid 65534"
as_nobody_fe -i
expect_eq "$RC" 0 "an empty job as uid 65534"
pass "read-only jobs stay open"

# A group allowed in the profile.
echo "qmadmin:x:4242:nobody" >>/etc/group
printf '\n[Security]\nAllowedGroup=qmadmin\n' >>"$PROFILE"
as_nobody_fe -at -o new.bup -ov
expect_eq "$RC" 0 "an update by a member of the allowed group"
expect_eq "$(board_value bios_version)" "1.05" "the allowed user's update"
pass "allowed group"

# A response FIFO anyone may write to: no session.
wait_kernel_gone 12 "the last kernel ended"
run_fe --status
enable_trace 4
nobody /usr/bin/python3 -I -S "$QM_SOURCE_DIR/tests/e2e/raw_request.py" --fifo-mode 0666 --take --hold 3 \
    "-d $WORK -arc -o open.nvux" >/dev/null &
wait_for_text "$TRACE_FILE" "Session refused: the response FIFO may be written by others than its owner" 5 \
    "an open FIFO"
[[ ! -e open.nvux ]] || fail "a job ran for an open FIFO"
pass "an open response FIFO ends the session"
