# What keeps a server up and what ends it.
source "$(dirname "$0")/lib.sh"
fe_setup

run_fe -ov
expect_eq "$RC" 0 "an unknown request is accepted and finished"
expect_contains "$TRACE_FILE" "Unknown client request for asynchronous mode" "the request was not a job"
kpid=$(kernel_pid)
[[ -n $kpid ]] || fail "the server ended after an unknown request"
pass "unknown request"

send_record 203
send_record 202
sleep 0.5
expect_eq "$(kernel_pid)" "$kpid" "shut-down and accept records do not end the server"
run_fe -i
expect_eq "$RC" 0 "the same server serves the next job"
expect_contains "$TRACE_FILE" "Info client request, nothing to do" "the job ran in the first server"
wait_kernel_gone 5 "the job ended the server"
pass "records without a command line"

start=$(date +%s%N)
"$QM_KRNL" -sv >/dev/null 2>&1 &
kpid=$!
krc=0
wait "$kpid" || krc=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
expect_eq "$krc" 0 "an idle server's exit code"
((elapsed >= 10000 && elapsed < 14000)) || fail "idle server ended after $elapsed ms"
[[ ! -e $REQUEST_FIFO ]] || fail "the request FIFO outlived the server"
pass "idle server ends after 10 s ($elapsed ms)"
