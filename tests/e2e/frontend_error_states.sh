# A kernel that could not install a module: its error state and how long it stays.
source "$(dirname "$0")/lib.sh"
fe_setup
BOARD="$QM_PREFIX/sim/board.json"

# Operating system not supported: the state stays visible for the idle span.
printf '{"board":"QMXSIM-X1","faults":{"install_refuse_reason":"0x81"}}\n' >"$BOARD"
start=$(date +%s%N)
"$QM_KRNL" -sv >/dev/null 2>&1 &
kpid=$!
run_fe --status
expect_eq "$RC" 4 "an error state"
expect_contains "$OUT" "operating system not supported" "the state in words"
sleep 5
run_fe -i
expect_eq "$RC" 4 "a job meets the same state"
expect_contains "$ERR" "operating system not supported" "still visible after 5 s"
expect_eq "$(kernel_pid)" "$kpid" "the front-end did not start a second kernel"
krc=0
wait "$kpid" || krc=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
expect_eq "$krc" 0 "exit code after the error state"
((elapsed >= 10000)) || fail "the error state ended after $elapsed ms"
expect_contains "$TRACE_FILE" "Operating system not supported" "traced"
pass "facility 0x81 ($elapsed ms)"

# A board no module supports: the kernel leaves at once with 3.
rm -rf "$QM_PREFIX/sim"
start=$(date +%s%N)
krc=0
"$QM_KRNL" -sv >/dev/null 2>&1 || krc=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
expect_eq "$krc" 3 "no module for this hardware"
((elapsed < 3000)) || fail "leaving took $elapsed ms"
expect_contains "$TRACE_FILE" "Leaving kernel immediately" "traced"
run_fe -i
expect_eq "$RC" 4 "the front-end names the missing module"
expect_contains "$ERR" "no board module supports this machine" "in words"
pass "unsupported hardware"

# Insufficient privileges, seen by a user other than root.
if [[ $(id -u) == 0 ]] && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
    make_board --root
    chmod -R a+rwX /tmp /opt/fleetmon 2>/dev/null || true
    RC=0
    setpriv --reuid=65534 --regid=65534 --clear-groups "$QM_FE" -i >"$OUT" 2>"$ERR" </dev/null || RC=$?
    expect_eq "$RC" 4 "a board that needs root"
    expect_contains "$ERR" "insufficient privileges" "in words"
    pass "insufficient privileges"
fi
