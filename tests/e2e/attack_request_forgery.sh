# A local user (uid 65534) writes requests that name a root client's process,
# so that the kernel would take an update of theirs for root's own; and tries
# to read root's requests, passwords included, out of the request FIFO.
source "$(dirname "$0")/lib.sh"
fe_setup
nobody true || exit 77
cd "$WORK"
make_pkg evil.bup --bios 6.66
chmod 0755 "$WORK"
chmod 0644 evil.bup
before=$(board_value bios_version)
raw="$QM_SOURCE_DIR/tests/e2e/raw_request.py"
# Until the raw client's response FIFO is there.
client_fifo_wait() {  # pid
    until [[ -p ${RESPONSE_FIFO_BASE}_$1.sync ]]; do
        kill -0 "$1" 2>/dev/null || fail "client $1 ended before its FIFO was seen: $(cat "$WORK"/*.out)"
        sleep 0.005
    done
}
as_nobody_raw() { nobody /usr/bin/python3 -I -S "$raw" "$@"; }
evil="-d $WORK -at -o evil.bup -ov"
enable_trace 4

# Everybody may write a request; nobody but the kernel may read one.
run_fe --status
expect_eq "$RC" 0 "the kernel started"
expect_eq "$(stat -c '%U %a' "$REQUEST_FIFO")" "root 622" "the request FIFO's owner and mode"
nobody /usr/bin/python3 -I -S -c 'import os, sys; os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)' \
    "$REQUEST_FIFO" 2>/dev/null && fail "uid 65534 opened the request FIFO for reading"
pass "requests cannot be read by others"

# A root front-end waits while the kernel is busy; its response FIFO is there
# to be named. The busy session is uid 65534's refused update, whose front-end
# has a full pipe for stderr: the kernel waits out its acknowledgements and,
# the job being refused, serves on.
mkfifo "$WORK/full"
exec 3<>"$WORK/full"
head -c 65536 /dev/zero >&3
nobody "$QM_FE" -at -o evil.bup >/dev/null 2>&3 &
busy=$!
wait_for_text "$TRACE_FILE" "Job refused for uid 65534" 10 "the busy session"
# Held busy, however slow the machine, until the forgery is in place.
kpid=$(kernel_pid)
kill -STOP "$kpid"
"$QM_FE" -ast >"$WORK/waiting.out" 2>"$WORK/waiting.err" &
waiting=$!
wait_for_text "$WORK/waiting.err" "busy" 10 "the waiting front-end"
as_nobody_raw --pid "$waiting" "$evil" >/dev/null || fail "uid 65534 could not write a request"
kill -CONT "$kpid"
cat "$WORK/full" >/dev/null 3>&- &
wait "$busy" || true
rc=0
wait "$waiting" || rc=$?
exec 3>&-
expect_eq "$(board_value bios_version)" "$before" "the BIOS after a forged update"
if ((rc == 0)); then
    expect_contains "$TRACE_FILE" "Request naming process $waiting ignored: process $waiting does not hold the request FIFO open for writing" \
        "the forged request"
else
    # Only when the front-end opened the FIFO in the very instant the forgery was read.
    expect_contains "$WORK/waiting.err" "another request names process $waiting" "the waiting front-end's refusal"
fi
pass "a request naming a waiting front-end is ignored"

# A client that holds the request FIFO and is about to write: the forgery that
# overtakes its request is accepted first, but the real client never takes a
# session it did not ask for...
run_fe --status
/usr/bin/python3 -I -S "$raw" --fifo-mode 0600 --wait-signal --hold 3 "-d $WORK -ast" >"$WORK/slow.out" 2>&1 &
slow=$!
client_fifo_wait "$slow"
as_nobody_raw --pid "$slow" "$evil" >/dev/null || fail "uid 65534 could not write a request"
wait_for_text "$TRACE_FILE" "Request naming process $slow ignored: process $slow did not take the session" 10 \
    "the session nobody took"
kill "$slow"
wait "$slow" || true
expect_eq "$(board_value bios_version)" "$before" "the BIOS after a forgery nobody took"
pass "an accepted forgery that no client takes is never run"

# ...and a client that takes it has its own request waiting behind: both go.
run_fe --status
/usr/bin/python3 -I -S "$raw" --fifo-mode 0600 --wait-signal --take --hold 3 "-d $WORK -ast" \
    >"$WORK/taker.out" 2>&1 &
taker=$!
client_fifo_wait "$taker"
as_nobody_raw --pid "$taker" "$evil" >/dev/null || fail "uid 65534 could not write a request"
wait_for_text "$TRACE_FILE" "-ov', pid=$taker" 5 "the forged request read"
kill -USR1 "$taker"
wait_for_text "$TRACE_FILE" "Session refused: another request names process $taker" 10 "the twin requests"
wait "$taker" || true
expect_eq "$(board_value bios_version)" "$before" "the BIOS after a forgery with a twin"
pass "a request with a twin behind it is refused"

# Root's own update still goes in.
run_fe -at -o evil.bup -ov
expect_eq "$RC" 0 "root's own update"
expect_eq "$(board_value bios_version)" "6.66" "root's update went in"
pass "root's own jobs"
