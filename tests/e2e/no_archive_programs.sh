# Archives are read and written in-process: with zip and unzip on the PATH
# replaced by wrappers that record every start, a backup, a restore, an
# update that takes a part from its package, and the make command run through
# without one start, and with no archive program on the PATH at all they work.
source "$(dirname "$0")/lib.sh"
fe_setup
mkdir -p "$SIM/config"
head -c 3000 /dev/urandom >"$SIM/config/setup_settings.bin"
cd "$WORK"

mkdir -p /tmp/wrap
for tool in zip unzip; do
    printf '#!/bin/sh\necho "%s $*" >>/tmp/wrap/started\nexit 1\n' "$tool" >"/tmp/wrap/$tool"
    chmod +x "/tmp/wrap/$tool"
done
mkdir -p src
printf 'a part' >src/p1.bin
make_pkg chain.bup --bios 1.01 --part src/p1.bin
make_pkg bios.bup --bios 1.00  # the BIOS the configuration was saved from

fe() { RC=0; PATH="/tmp/wrap:$PATH" "$QM_FE" "$@" >"$OUT" 2>"$ERR" </dev/null || RC=$?; }
fe -arc -o cfg.nvux
expect_eq "$RC" 0 "backup"
fe -nvu -o cfg.nvux
expect_eq "$RC" 0 "restore"
fe -at -o chain.bup
expect_eq "$RC" 0 "update with a part from the package"
expect_eq "$(cat "$SIM/parts/p1.bin")" "a part" "the part"
wait_kernel_gone 12 "the update's kernel ended"
fe --make -o combined.bup -binp bios.bup -cinp cfg.nvux
expect_eq "$RC" 0 "the make command"
[[ -f combined.bup ]] || fail "no combined package"
[[ ! -e /tmp/wrap/started ]] || fail "archive programs were started: $(cat /tmp/wrap/started)"
pass "no zip or unzip started"

wait_kernel_gone 12 "a fresh kernel for the bare PATH"
RC=0
PATH=/nonexistent "$QM_FE" -arc -o bare.nvux >"$OUT" 2>"$ERR" </dev/null || RC=$?
expect_eq "$RC" 0 "a backup with nothing on the kernel's PATH"
[[ -f bare.nvux ]] || fail "no archive without a PATH"
pass "no program needed"
