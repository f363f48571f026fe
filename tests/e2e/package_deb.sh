# The Debian package, made by CPack from this test's own build tree (the same
# install rules and packaging settings scripts/package uses on a Release tree):
# control data, layout, the /usr entries, and the demo's jobs run from the
# unpacked tree placed at /opt/fleetmon/quillmark. Unpacked into a folder,
# never into /: /usr inside the sandbox is the host's.
source "$(dirname "$0")/lib.sh"

[[ -f $QM_BUILD_DIR/CPackConfig.cmake ]] || fail "no CPackConfig.cmake in $QM_BUILD_DIR"
cpack --config "$QM_BUILD_DIR/CPackConfig.cmake" -B "$WORK/deb" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log"; fail "cpack"; }
debs=("$WORK"/deb/quillmark_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made no single quillmark .deb"
DEB=${debs[0]}
ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT" || fail "dpkg-deb -x"
dpkg-deb -e "$DEB" "$WORK/control" || fail "dpkg-deb -e"
PKG="$ROOT$QM_PREFIX"

# ---- control data -----------------------------------------------------------
expect_eq "$(dpkg-deb -f "$DEB" Package)" quillmark "package name"
expect_eq "$(dpkg-deb -f "$DEB" Section)" admin "section"
[[ -n $(dpkg-deb -f "$DEB" Maintainer) && -n $(dpkg-deb -f "$DEB" Description) ]] ||
    fail "maintainer or description missing"
# The declared package names, one a line, versions and alternatives split off.
declared=$(dpkg-deb -f "$DEB" Depends | tr ',|' '\n\n' | sed -E 's/\(.*\)//; s/^ +//; s/ +$//')
depends_on() {  # package-pattern what
    grep -qxE "$1" <<<"$declared" || fail "Depends lacks $2: $(dpkg-deb -f "$DEB" Depends)"
}
# Bound with dlopen, so no tool can find them: they must be declared.
depends_on "libzip[0-9]+" "libzip"
depends_on "libssl3|libssl3t64|libcrypto3" "libcrypto"
# Every library the binaries link must be declared too.
for elf in bin/qmkrnl2 bin/quillmark bin/qmx01/qmxsim.so; do
    for needed in $(objdump -p "$PKG/$elf" | awk '$1 == "NEEDED" { print $2 }'); do
        case $needed in
        libc.so.* | libm.so.* | libdl.so.* | libpthread.so.* | librt.so.* | ld-linux*) depends_on libc6 "$needed" ;;
        libstdc++.so.*) depends_on "libstdc\\+\\+6" "$needed" ;;
        libgcc_s.so.*) depends_on "libgcc-s1" "$needed" ;;
        libasan.so.* | libubsan.so.*) ;;  # the sanitizer build of the tests only
        *) fail "$elf needs $needed, which the package does not declare" ;;
        esac
    done
done
while read -r conffile; do
    [[ -f $ROOT$conffile ]] || fail "conffile $conffile is not in the package"
done <"$WORK/control/conffiles"
grep -qx "$QM_PREFIX/config/quillmark.conf" "$WORK/control/conffiles" || fail "the profile is no conffile"
pass "control data: $(dpkg-deb -f "$DEB" Depends)"

# ---- layout -----------------------------------------------------------------
for f in bin/qmkrnl2 bin/quillmark; do [[ -f $PKG/$f && -x $PKG/$f ]] || fail "$f missing or not executable"; done
for f in bin/qmx01/qmxsim.so bin/qmx_modules.conf config/quillmark.conf share/man/man1/quillmark.1 \
    share/man/man8/qmkrnl2.8 share/bash-completion/completions/quillmark bin/qmx02/qmxefi.so \
    lib/systemd/system/quillmark-boot-check.service; do
    [[ -f $PKG/$f ]] || fail "$f missing"
done
expect_eq "$(readlink "$ROOT/usr/bin/quillmark")" "$QM_PREFIX/bin/quillmark" "the /usr/bin link"
for page in man1/quillmark.1 man8/qmkrnl2.8; do
    cmp -s <(gzip -dc "$ROOT/usr/share/man/$page.gz") "$QM_SOURCE_DIR/docs/${page#*/}" ||
        fail "/usr/share/man/$page.gz is not the gzipped page"
done
cmp -s "$ROOT/usr/share/bash-completion/completions/quillmark" "$QM_SOURCE_DIR/docs/quillmark.bash-completion" ||
    fail "/usr/share/bash-completion/completions/quillmark is not the completion"
cmp -s "$ROOT/usr/lib/systemd/system/quillmark-boot-check.service" "$QM_SOURCE_DIR/config/quillmark-boot-check.service" ||
    fail "the boot-check unit is not in /usr/lib/systemd/system"
grep -qx "ExecStart=$QM_PREFIX/bin/quillmark boot-check" "$ROOT/usr/lib/systemd/system/quillmark-boot-check.service" ||
    fail "the unit does not run the installed front-end"
# Nothing beyond the install tree and those entries: no tests, benchmarks or fuzzers.
extra=$(cd "$ROOT" && find . ! -type d ! -path "./opt/fleetmon/quillmark/*" ! -path "./usr/bin/quillmark" \
    ! -path "./usr/share/man/man1/quillmark.1.gz" ! -path "./usr/share/man/man8/qmkrnl2.8.gz" \
    ! -path "./usr/share/bash-completion/completions/quillmark" \
    ! -path "./usr/lib/systemd/system/quillmark-boot-check.service")
expect_eq "$extra" "" "files outside the install tree"
for elf in $(cd "$PKG" && find . -type f -exec sh -c 'head -c4 "$1" | grep -q "ELF"' _ {} \; -print); do
    case $elf in
    ./bin/qmkrnl2 | ./bin/quillmark | ./bin/qmx[0-9][0-9]/*.so) ;;
    *) fail "the package carries the program $elf" ;;
    esac
done
pass "layout"

# ---- the demo's jobs from the unpacked tree ---------------------------------
mkdir -p "$(dirname "$QM_PREFIX")"
cp -a "$PKG" "$QM_PREFIX" || fail "placing the tree at $QM_PREFIX"
QM_FE="$ROOT/usr/bin/quillmark"  # through the package's link
make_board --board D3598-B1 --bios R1.22.0
mkdir -p "$SIM/config" "$WORK/saved"
for area in setup_settings password logo boot_order system_data; do
    head -c 2048 /dev/urandom >"$SIM/config/$area.bin"
    cp "$SIM/config/$area.bin" "$WORK/saved/"
done
cd "$WORK"

run_fe status
expect_eq "$RC" 0 "status"
expect_contains "$OUT" "D3598-B1" "status shows the board"
make_pkg update.bup --board D3598-B1 --bios R1.23.0 --date 11-20-2026
run_fe update update.bup --log update.log
expect_eq "$RC" 0 "update"
expect_eq "$(board_value bios_version)" "R1.23.0" "the board runs the package's BIOS"
expect_contains update.log "The BIOS has been updated" "the job log"
wait_kernel_gone 5 "the update ended its kernel"
run_fe backup saved.nvux
expect_eq "$RC" 0 "backup"
[[ -s saved.nvux ]] || fail "no archive"
wait_kernel_gone 5 "the backup ended its kernel"
for area in setup_settings password logo boot_order system_data; do
    head -c 100 /dev/urandom >"$SIM/config/$area.bin"
done
run_fe restore saved.nvux
expect_eq "$RC" 0 "restore"
for area in setup_settings password logo boot_order system_data; do
    cmp -s "$SIM/config/$area.bin" "saved/$area.bin" || fail "$area.bin was not restored"
done
pass "status, update, backup and restore from the package"
