#!/usr/bin/env bash
# -v / -lm: install the board module found for this machine and show what it reports.
source "$(dirname "$0")/lib.sh"
install_layout
expect_contains "$PROFILE" "ExtPath=" "default profile installed"

run_krnl -v
expect_eq "$RC" 0 "-v without a board"
expect_eq "$(cat "$OUT")" "Error loading any OEM module" "-v without a board"
expect_contains "$PROFILE" "ExtPath=" "profile kept"
expect_not_contains "$PROFILE" "qmxsim" "no module recorded"
pass "no simulated board: no module"

make_board --board D3598-B1 --bios "V5.0.0.13 R1.22.0"
run_krnl -v
expect_eq "$RC" 0 "-v exit code"
expect_contains "$OUT" "Active BIOS . . . . . . . : V5.0.0.13 R1.22.0" "active BIOS"
expect_contains "$OUT" "System info . . . . . . . : D3598-B1" "system info"
expect_contains "$OUT" "MeFirmwareVersion . . . . : " "ME firmware line"
expect_not_contains "$OUT" "Status info" "no operation ran"
expect_contains "$PROFILE" "ExtPath=./qmx01/qmxsim.so" "installed module remembered"
pass "-v shows the simulated board"

run_krnl -lm
expect_eq "$RC" 0 "-lm exit code"
expect_contains "$OUT" "System info . . . . . . . : D3598-B1" "-lm from the remembered module"
pass "-lm"
