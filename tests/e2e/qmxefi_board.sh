# The UEFI board module on a fake machine, through quillmark: identity from
# DMI, a capsule handed to the loader with a reboot asked for, the boot
# configuration backed up and restored byte for byte, boot-check putting back
# what a firmware reset took away, and the refusals a front-end shows.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"
# Without its state directory the simulated board steps aside; qmxefi is next.
rm -rf "$SIM"
EFI=/tmp/efi-tree
export QMXEFI_ROOT=$EFI
G=8be4df61-93ca-11d2-aa0d-00e098032b8c
VARS=$EFI/sys/firmware/efi/efivars

python3 -I -S - "$EFI" <<'PY' || fail "the fake machine"
import os, struct, sys
root, g = sys.argv[1], "8be4df61-93ca-11d2-aa0d-00e098032b8c"
def put(rel, data):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())
def var(name, data):
    put("sys/firmware/efi/efivars/%s-%s" % (name, g), struct.pack("<I", 7) + data)
var("Boot0001", b"\x01\x00\x00\x00\x1c\x00" + "debian".encode("utf-16-le") + b"\x00\x00" + bytes(16))
var("Boot0002", b"\x01\x00\x00\x00\x1c\x00" + "usb".encode("utf-16-le") + b"\x00\x00" + bytes(16))
var("BootOrder", struct.pack("<HH", 1, 2))
var("Timeout", struct.pack("<H", 5))
for key, value in {"bios_version": "1.17.0", "bios_date": "01/15/2024", "board_vendor": "Quill Boards",
                   "board_name": "QB-100", "product_name": "Quill Desk"}.items():
    put("sys/class/dmi/id/" + key, value + "\n")
put("sys/class/mei/mei0/fw_ver", "0:16.1.25.1865\n")
put("sys/class/power_supply/AC/type", "Mains\n")
put("sys/class/power_supply/AC/online", "1\n")
put("sys/class/power_supply/BAT0/type", "Battery\n")
put("dev/efi_capsule_loader", b"")
# A capsule: the FMP GUID, header size, flags, image size, then the payload.
guid = bytes([0xed, 0xd5, 0xcb, 0x6d, 0x2d, 0xe8, 0x44, 0x4c, 0xbd, 0xa1, 0x71, 0x94, 0x19, 0x9a, 0xd9, 0x2a])
body = bytes((i * 7) & 0xFF for i in range(4096))
with open(os.path.join(root, "..", "fw.cap"), "wb") as f:
    f.write(guid + struct.pack("<III", 28, 0x00050000, 28 + len(body)) + body)
with open(os.path.join(root, "..", "bad.cap"), "wb") as f:
    f.write(guid + struct.pack("<III", 28, 0x00050000, 99999) + body)
PY
snapshot() { (cd "$VARS" && for f in *; do printf '%s ' "$f"; od -An -tx1 -v "$f" | tr -d ' \n'; echo; done); }
before=$(snapshot)

run_fe --status
expect_eq "$RC" 0 "the UEFI board installs"
expect_contains "$OUT" "Active BIOS  . . . : 1.17.0" "the DMI BIOS version"
expect_contains "$OUT" "System . . . . . . : QB-100" "the DMI board"
expect_contains "$OUT" "ME firmware  . . . : 16.1.25.1865" "the ME firmware"
[[ $("$QM_KRNL" -v | sed -n 's/^Active BIOS[ .]*: //p') == "1.17.0" ]] || fail "qmkrnl2 -v tells the DMI version"
pass "identity from DMI"

run_fe backup boot.nvux
expect_eq "$RC" 0 "a backup of the boot configuration"
unzip -l boot.nvux | grep "BootOrder-$G.efivar" >/dev/null || fail "BootOrder is in the archive"
# The firmware "resets": another order, an entry gone, the timeout changed.
printf '\x07\x00\x00\x00\x02\x00' >"$VARS/BootOrder-$G"
rm "$VARS/Boot0001-$G"
printf '\x07\x00\x00\x00\x00\x00' >"$VARS/Timeout-$G"
run_fe restore boot.nvux
expect_eq "$RC" 0 "a restore"
expect_eq "$(snapshot)" "$before" "the restore gives the same bytes back"
pass "backup and restore of the boot order"

"$QM_SOURCE_DIR/modules/qmxefi/make-package" --capsule /tmp/fw.cap --board QB-100 --bios 1.18.0 fw.bup >/dev/null ||
    fail "make-package"
"$QM_SOURCE_DIR/modules/qmxefi/make-package" --capsule /tmp/fw.cap --board OTHER --bios 1.18.0 other.bup >/dev/null
run_fe update other.bup
expect_eq "$RC" 1 "a package for another board"
grep -q '^hint: other.bup is for board OTHER' "$ERR" || fail "the hint names the boards: $(cat "$ERR")"

printf '0\n' >"$EFI/sys/class/power_supply/AC/online"
run_fe update fw.bup --no-reboot
expect_eq "$RC" 1 "an update on battery"
grep -qi "battery" "$ERR" || fail "the refusal names the battery: $(cat "$ERR")"
[[ -s $EFI/dev/efi_capsule_loader ]] && fail "a capsule was handed over on battery"
printf '1\n' >"$EFI/sys/class/power_supply/AC/online"
mv "$EFI/dev/efi_capsule_loader" /tmp/loader.away
run_fe update fw.bup --no-reboot
expect_eq "$RC" 1 "an update without the capsule loader"
mv /tmp/loader.away "$EFI/dev/efi_capsule_loader"
pass "refusals: another board, battery, no loader"

rm -f "${QM_SHUTDOWN_LOG:-/nonexistent}"
run_fe update fw.bup --no-reboot
expect_eq "$RC" 0 "the update"
cmp -s "$EFI/dev/efi_capsule_loader" /tmp/fw.cap || fail "the loader did not get exactly the capsule"
expect_contains "$ERR" "Automatic reboot skipped" "the update asks for a reboot"
[[ -f $EFI/var/lib/quillmark/boot-pending.json ]] || fail "no pending boot configuration"
pass "capsule update"

# The "restart": the firmware now reports the new BIOS and has reset the boot entries.
printf '1.18.0\n' >"$EFI/sys/class/dmi/id/bios_version"
printf '\x07\x00\x00\x00\x02\x00\x01\x00' >"$VARS/BootOrder-$G"
rm "$VARS/Boot0002-$G"
run_fe boot-check
expect_eq "$RC" 0 "boot-check"
expect_contains "$OUT" "restored after the BIOS update: Boot0002, BootOrder" "what it put back"
expect_eq "$(snapshot)" "$before" "boot-check gives the same bytes back"
[[ -e $EFI/var/lib/quillmark/boot-pending.json ]] && fail "the pending file stayed"
run_fe history
expect_contains "$OUT" "boot_check  done" "boot-check in the history"
run_fe boot-check
expect_contains "$OUT" "no pending boot configuration: nothing to do" "a second boot-check"
pass "boot-check"

# A capsule whose header does not match its size is refused before any hand-over.
: >"$EFI/dev/efi_capsule_loader"
python3 - <<'PY' || fail "a package with a damaged capsule"
import zipfile
src, dst = zipfile.ZipFile("fw.bup"), zipfile.ZipFile("bad.bup", "w")
for item in src.infolist():
    data = open("/tmp/bad.cap", "rb").read() if item.filename.endswith(".cap") else src.read(item)
    dst.writestr(item, data)
dst.close()
PY
run_fe update bad.bup --no-reboot --allow-reinstall
expect_eq "$RC" 1 "a damaged capsule"
grep -q "^hint: the board module refused a file of bad.bup" "$ERR" || fail "the hint: $(cat "$ERR")"
[[ -s $EFI/dev/efi_capsule_loader ]] && fail "a damaged capsule was handed over"
pass "damaged capsule refused"

# Without UEFI the module refuses, and the machine has no board module at all.
wait_kernel_gone 20 "the last job's kernel"
rm -rf "$EFI/sys/firmware"
run_fe --status
expect_eq "$RC" 4 "no UEFI, no module"
pass "no UEFI"
