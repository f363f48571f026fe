# Further files an update asks for: from the chosen package, the working
# directory or a common package, the newest copy when the board asks for it.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"

# A package listing a part that it does not carry itself.
pkg_without_member() {  # out part-file [make-package options]
    local out=$1 part=$2
    shift 2
    make_pkg "$out" --part "$part" "$@"
    zip -q -d "$out" "$(basename "$part")" || fail "zip -d"
}

mkdir -p src
printf 'from the package' >src/p1.bin
touch -d '2020-01-01 00:00' src/p1.bin
make_pkg chain.bup --bios 1.01 --part src/p1.bin
run_fe -at -o chain.bup
expect_eq "$RC" 0 "a part from the package itself"
expect_eq "$(cat "$SIM/parts/p1.bin")" "from the package" "the package's part was written"
pass "part from the current package"

printf 'from the directory' >p2.bin
printf 'unused' >src/p2.bin
pkg_without_member dir.bup src/p2.bin --bios 1.02
run_fe -at -o dir.bup
expect_eq "$RC" 0 "a part from the working directory"
expect_eq "$(cat "$SIM/parts/p2.bin")" "from the directory" "the directory's part was written"
pass "part from the working directory"

printf 'from the common package' >src/p3.bin
make_pkg common.bup --packtype QUILLMARK_COMMON_ARCHIVE --part src/p3.bin
printf 'not common' >src/p3x.bin
pkg_without_member uses-common.bup src/p3.bin --bios 1.03
run_fe -at -o uses-common.bup
expect_eq "$RC" 0 "a part from a common package"
expect_eq "$(cat "$SIM/parts/p3.bin")" "from the common package" "the common package's part was written"
pass "part from a common package"

# The same name in the package (old) and the directory (new).
printf 'newer, in the directory' >p1.bin
make_pkg both.bup --bios 1.04 --part src/p1.bin
run_fe -at -o both.bup
expect_eq "$RC" 0 "without NEWEST"
expect_eq "$(cat "$SIM/parts/p1.bin")" "from the package" "the package wins without NEWEST"
# The board is read when a kernel installs its module: the last job's kernel must be gone.
wait_kernel_gone 10 "after the job without NEWEST"
board_set '{"part_location": "UPD_NEXT_FILE_CUR_BUP | UPD_NEXT_FILE_CUR_DIR | UPD_NEXT_FILE_NEWEST"}'
make_pkg both2.bup --bios 1.05 --part src/p1.bin
run_fe -at -o both2.bup
expect_eq "$RC" 0 "with NEWEST"
expect_eq "$(cat "$SIM/parts/p1.bin")" "newer, in the directory" "the newest copy wins with NEWEST"
pass "NEWEST"

cp "$SIM/flash.bin" flash.before
printf 'nowhere' >src/gone.bin
pkg_without_member missing.bup src/gone.bin --bios 1.06
run_fe -at -o missing.bup
expect_eq "$RC" 1 "a part found nowhere"
expect_contains "$ERR" "invalid or missing file(s)" "the module's reason as text"
expect_eq "$(board_value bios_version)" "1.05" "nothing was committed"
cmp -s "$SIM/flash.bin" flash.before || fail "flash.bin changed on a failed update"
pass "missing part"
