# A local user (uid 65534) tries to write into a root front-end's session:
# its response FIFO is root's alone (0600), so nothing can be injected, and
# the session's control block is no longer one anybody can attach.
source "$(dirname "$0")/lib.sh"
fe_setup
nobody true || exit 77
cd "$WORK"
make_pkg new.bup --bios 1.05

# Root's front-end, held in its session: its output goes into a full pipe.
mkfifo "$WORK/full"
exec 3<>"$WORK/full"
head -c 65536 /dev/zero >&3
"$QM_FE" -at -o new.bup -ov >&3 2>"$ERR" </dev/null &
fe=$!
fifo="${RESPONSE_FIFO_BASE}_$fe.sync"
until [[ -p $fifo ]]; do
    kill -0 "$fe" 2>/dev/null || fail "the front-end ended before its FIFO was seen"
    sleep 0.005
done
expect_eq "$(stat -c '%U %a' "$fifo")" "root 600" "the response FIFO's owner and mode"
nobody sh -c "printf 'forged' >'$fifo'" 2>/dev/null && fail "uid 65534 wrote into root's response FIFO"
read -r perms uid < <(awk '$4 == 8 {print $3, $8}' /proc/sysvipc/shm | tail -1)
expect_eq "$(( 8#$perms & 8#077 ))" "0" "the session control is closed to other users"
tr -d '\0' <"$WORK/full" >"$OUT" 3>&- &
rc=0
wait "$fe" || rc=$?
exec 3>&-
wait
expect_eq "$rc" 0 "root's update after the attempt"
expect_not_contains "$OUT" "forged" "the front-end's output"
expect_eq "$(board_value bios_version)" "1.05" "root's update went in"
pass "no record injected into a root session"
