#!/usr/bin/env bash
# The kernel's own arguments: usage, invalid options, exit codes.
source "$(dirname "$0")/lib.sh"
install_profile '[Quillmark]\nExtPath=\n'

run_krnl --bogus -h
expect_eq "$RC" 1 "--bogus exit code"
expect_eq "$(cat "$ERR")" "$QM_KRNL: invalid command line option '--bogus'" "--bogus stderr"
expect_eq "$(cat "$OUT")" "" "arguments after the invalid one are not examined"
pass "--bogus"

run_krnl -H
expect_eq "$RC" 1 "-H exit code"
expect_contains "$ERR" "invalid command line option '-H'" "-H is case-sensitive"
pass "-H"

for args in "-h -sv" "--help" "-sv -v -h"; do
    run_krnl $args
    expect_eq "$RC" 0 "$args exit code"
    expect_eq "$(head -c 1 "$OUT" | od -An -c | tr -d ' ')" '\n' "usage starts with an empty line"
    expect_contains "$OUT" "-h | --help                 Display this help screen" "usage $args"
    expect_contains "$OUT" "-sv | --server              Force qmkrnl2 start as server" "usage $args"
    expect_not_contains "$OUT" "noextlocate" "usage hides --noextlocate"
    expect_eq "$(wc -l <"$OUT")" 6 "usage line count"
done
pass "usage"

# A usage run writes nothing besides the usage: no stray files appear in the working directory.
mkdir -p "$WORK/cwd" && cd "$WORK/cwd"
run_krnl --noextlocate -h
expect_eq "$RC" 0 "--noextlocate is accepted"
expect_eq "$(ls -A "$WORK/cwd")" "" "nothing written to the working directory"
pass "--noextlocate"
