#!/usr/bin/env bash
# After start-up SIGINT and SIGTERM do not end the kernel. The kernel is held
# after start-up by a full pipe on its standard output: its usage text can
# only be written once the pipe is drained.
source "$(dirname "$0")/lib.sh"
install_profile '[Test]\nSkipReboot=1\n'

fifo="$WORK/stdout.fifo"
mkfifo "$fifo"
exec 3<>"$fifo"
# Fill the pipe; the non-blocking write stops when it is full.
dd if=/dev/zero of="$fifo" oflag=nonblock bs=4096 count=1024 2>/dev/null || true

"$QM_KRNL" -h >"$fifo" 2>"$ERR" 3>&- &
pid=$!

blocked_in_write() { [[ "$(cat /proc/$pid/wchan 2>/dev/null)" == *pipe_write ]]; }

# Wait until the kernel sits in the write of its usage text.
for _ in $(seq 200); do
    blocked_in_write && break
    sleep 0.05
done
blocked_in_write || fail "kernel never blocked on its output"

kill -INT "$pid"
kill -TERM "$pid"
sleep 0.3
kill -0 "$pid" 2>/dev/null || fail "kernel ended by SIGINT/SIGTERM"
blocked_in_write || fail "kernel left its write early"
pass "alive after SIGINT and SIGTERM"

# Drain: the usage arrives whole and the exit code is the usual one.
tr -d '\0' <"$fifo" >"$OUT" 3>&- &
reader=$!
exec 3>&-
wait "$pid"
RC=$?
wait "$reader"
expect_eq "$RC" 0 "exit code after the signals"
expect_contains "$OUT" "-v | --version              Display version information" "usage delivered"
pass "usage delivered after the signals"
