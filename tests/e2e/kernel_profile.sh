#!/usr/bin/env bash
# Locating the profile: the /opt path first, /etc second, none is fatal.
source "$(dirname "$0")/lib.sh"
enable_trace 4

run_krnl -h
expect_eq "$RC" 1 "no profile exit code"
expect_eq "$(cat "$OUT")" "" "no usage without a profile"
expect_contains "$TRACE_FILE" "could not open any profile" "trace names the reason"
expect_contains "$TRACE_FILE" "profile not found in '/opt/fleetmon/quillmark/config/quillmark.conf'" "first path tried"
expect_contains "$TRACE_FILE" "profile not found in '/etc/quillmark.conf'" "second path tried"
pass "no profile"

install_profile "$PROFILE_ETC" '[Test]\nSkipReboot=1\n'
run_krnl -h
expect_eq "$RC" 0 "/etc profile exit code"
expect_contains "$TRACE_FILE" "opened profile '/etc/quillmark.conf'" "/etc profile used"
pass "/etc profile"

install_profile '[Test]\nSkipReboot=0\n'
run_krnl -h
expect_eq "$RC" 0 "both profiles exit code"
expect_contains "$TRACE_FILE" "opened profile '/opt/fleetmon/quillmark/config/quillmark.conf'" "/opt profile used"
expect_not_contains "$TRACE_FILE" "/etc/quillmark.conf" "/etc profile not looked at"
pass "both profiles: only the first is used"

# Tracing off: the same failure leaves no trace file.
rm -f "$TRACE_INI" "$TRACE_FILE" "$PROFILE" "$PROFILE_ETC"
run_krnl -h
expect_eq "$RC" 1 "no profile, no trace"
[[ ! -e "$TRACE_FILE" ]] || fail "trace written while tracing is off"
pass "tracing off"
