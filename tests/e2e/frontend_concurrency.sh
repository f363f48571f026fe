# Several front-ends, a vanished one, and what a server start cleans up.
source "$(dirname "$0")/lib.sh"
fe_setup
trace_reset() { : >"$TRACE_FILE"; }

# A front-end stuck mid-session and then killed. Its stderr is a full pipe, so
# it blocks showing the job's error and never acknowledges the job's end.
mkfifo "$WORK/full"
exec 3<>"$WORK/full"
head -c 65536 /dev/zero >&3
"$QM_FE" -at -o 'x*.bup' >/dev/null 2>&3 &
fe1=$!
wait_for_text "$TRACE_FILE" "sending message eJobDone" 10 "first session"
kpid=$(kernel_pid)

# A second front-end meanwhile finds the kernel busy and waits.
"$QM_FE" -i >"$WORK/fe2.out" 2>"$WORK/fe2.err" &
fe2=$!
wait_for_text "$WORK/fe2.err" "busy" 10 "the second front-end"

kill -KILL "$fe1"
wait "$fe1" 2>/dev/null
exec 3>&-
[[ -p ${RESPONSE_FIFO_BASE}_$fe1.sync ]] || fail "the killed front-end left no response FIFO"
end=$((SECONDS + 4))
while kill -0 "$kpid" 2>/dev/null; do
    ((SECONDS < end)) || fail "the kernel hangs after its front-end died"
    sleep 0.05
done
rc2=0
wait "$fe2" || rc2=$?
expect_eq "$rc2" 0 "the waiting front-end is served by the next kernel"
[[ ! -e ${RESPONSE_FIFO_BASE}_$fe1.sync ]] || fail "the dead client's response FIFO is still there"
pass "stuck and killed front-end, second front-end waits"

wait_kernel_gone 12 "before the server-start case"
# --server removes stale response FIFOs.
mkfifo "${RESPONSE_FIFO_BASE}_99999.sync"
"$QM_KRNL" -sv >/dev/null 2>&1 &
kpid=$!
# Announced first: a front-end arriving earlier would start a kernel of its own.
wait_request_fifo 10 "the kernel started here"
run_fe --status
expect_eq "$RC" 0 "server announced"
[[ ! -e ${RESPONSE_FIFO_BASE}_99999.sync ]] || fail "stale response FIFO survived a server start"
pass "stale response FIFO removed"

# Nodes planted at a client's response FIFO path are never written through.
echo precious >"$WORK/victim"
ln -s "$WORK/victim" "${RESPONSE_FIFO_BASE}_4242.sync"
echo plain >"${RESPONSE_FIFO_BASE}_4243.sync"
send_record 201 "-i" 4242
send_record 201 "-i" 4243
wait_for_text "$TRACE_FILE" "ResponseFifo2Prepare(4243) failed" 5 "planted nodes"
expect_contains "$TRACE_FILE" "ResponseFifo2Prepare(4242) failed" "symlink refused"
expect_eq "$(cat "$WORK/victim")" "precious" "the symlink's target"
expect_eq "$(cat "${RESPONSE_FIFO_BASE}_4243.sync")" "plain" "the planted regular file"
expect_eq "$(kernel_pid)" "$kpid" "the server goes on"
pass "planted nodes"
kill -TERM "$kpid"
