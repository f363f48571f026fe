# Packages made by an attacker: members that climb out of the job's folder, name
# absolute paths or are links to root's files, and a zip bomb. Each is refused
# whole with the member and the rule named; nothing of it is written anywhere
# and the board keeps its BIOS.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"

# A description the simulated board accepts, naming bios.bin as its image.
make_pkg good.bup --bios 1.05
unzip -p good.bup BupInfo2.xml >desc.xml
desc=$(cat desc.xml)
echo "root's secret" >/tmp/secret
flash_sum() { if [[ -f $SIM/flash.bin ]]; then md5sum <"$SIM/flash.bin"; else echo none; fi; }
flash=$(flash_sum)
version=$(board_value bios_version)

refused() {  # package rule-text what
    run_fe -at -o "$1" -ov -lf "$1.log"
    expect_eq "$RC" 1 "$3"
    expect_contains "$ERR" "Package '$WORK/$1': $2" "$3: the refusal"
    expect_contains "$1.log" "$2" "$3: the event"
    expect_eq "$(board_value bios_version)" "$version" "$3: the board's BIOS"
    expect_eq "$(flash_sum)" "$flash" "$3: the flash image"
}

craft_zip climb.bup BupInfo2.xml "$desc" 0 0 1 bios.bin image 0 0 1 ../../../tmp/climbed x 0 0 1
refused climb.bup "member '../../../tmp/climbed' refused: its name has a '..' component" "a member climbing out"
[[ ! -e /tmp/climbed ]] || fail "the climbing member was written"
pass "'..' member"

craft_zip absolute.bup BupInfo2.xml "$desc" 0 0 1 bios.bin image 0 0 1 /tmp/absolute x 0 0 1
refused absolute.bup "member '/tmp/absolute' refused: its name is absolute" "an absolute member"
[[ ! -e /tmp/absolute ]] || fail "the absolute member was written"
pass "absolute member"

# The image a link to root's file: flashed, it would put the secret into the board.
craft_zip link.bup BupInfo2.xml "$desc" 0 0 1 bios.bin /tmp/secret 0o120777 0 1
refused link.bup "member 'bios.bin' refused: it is a symbolic link" "a link as the image"
grep -rqs "root's secret" "$SIM" && fail "the secret reached the board"
pass "link member"

# The kernel's peak memory (KiB) over one refused job: a kernel started here
# under a waiter that reads its resource usage when it ends.
refused_peak() {  # refused arguments
    wait_kernel_gone 12 "$3: the earlier kernels ended"
    rm -f /tmp/peak-rss
    python3 -I -S -c 'import os, subprocess, sys
p = subprocess.Popen(sys.argv[2:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
open(sys.argv[1], "w").write(str(os.wait4(p.pid, 0)[2].ru_maxrss))' /tmp/peak-rss "$QM_KRNL" --server &
    local waiter=$!
    wait_request_fifo 10 "$3"
    refused "$@"
    wait "$waiter"
    PEAK=$(cat /tmp/peak-rss)
}

# 1 GiB of zeros in about 1 MiB, beside a small refused package for comparison.
craft_zip bomb.bup BupInfo2.xml "$desc" 0 0 1 bios.bin 0 0 0 $((1 << 30))
(( $(stat -c %s bomb.bup) < 4 << 20 )) || fail "the bomb is not small"
refused_peak climb.bup "member '../../../tmp/climbed' refused" "a small refused package"
base=$PEAK
df_before=$(df --output=used /tmp | tail -1)
refused_peak bomb.bup "member 'bios.bin' refused: it is 1073741824 bytes, more than the limit of 268435456 bytes" \
    "a zip bomb"
df_after=$(df --output=used /tmp | tail -1)
(( df_after - df_before < 8192 )) || fail "the bomb took $((df_after - df_before)) KiB of /tmp"
# A sanitizer build carries its own shadow memory: there the bomb may only add to what a small package costs.
if [[ $(ldd "$QM_KRNL") == *libasan* ]]; then limit=$((base + 4096)); else limit=32768; fi
(( PEAK < limit )) || fail "the kernel peaked at $PEAK KiB with the bomb (limit $limit KiB)"
pass "zip bomb refused: /tmp grew by $((df_after - df_before)) KiB, kernel peak $PEAK KiB (small package $base KiB)"

# Under the size cap but far over the ratio: 200 MB of zeros.
install_profile "[Limits]\nMaxMemberMB=512\n"
craft_zip ratio.bup BupInfo2.xml "$desc" 0 0 1 bios.bin 0 0 0 $((200 << 20))
refused ratio.bup "member 'bios.bin' refused: it expands to 209715200 bytes from" "a compression ratio over the limit"
pass "ratio"

# The make command unpacks both inputs: a hostile one stops it before anything
# is written, the log names why, and its scratch folders go.
mkdir -p "$SIM/config"
head -c 3000 /dev/urandom >"$SIM/config/setup_settings.bin"
run_fe -arc -o cfg.nvux
expect_eq "$RC" 0 "the configuration backup"
wait_kernel_gone 12 "the backup's kernel ended"
run_fe --make -o combined.bup -binp climb.bup -cinp cfg.nvux -lf make.log
expect_eq "$RC" 1 "the make command with a climbing member"
expect_contains make.log "climb.bup': member '../../../tmp/climbed' refused" "the refusal in the log"
[[ ! -e combined.bup && ! -e /tmp/climbed ]] || fail "the make command wrote from a refused package"
compgen -G "/tmp/RoVOred2*" >/dev/null && fail "the make command left its scratch folders"
pass "make command"
