# A local user plants the log file a root job will name, in a directory all
# may write to: a link to a file of root's, a file of their own, a FIFO. The
# kernel writes through none of them and is held up by none.
source "$(dirname "$0")/lib.sh"
fe_setup
nobody true || exit 77

shared=/tmp/shared
mkdir -p "$shared" && chmod 1777 "$shared"
echo "root's" >/tmp/victim
nobody ln -s /tmp/victim "$shared/link.log"
nobody sh -c "echo mine >'$shared/theirs.log'"
nobody mkfifo "$shared/fifo.log"
cd "$shared"
make_pkg new.bup --bios 1.01

for log in link.log theirs.log fifo.log; do
    run_fe -at -o new.bup -ov -lf "$log"
    expect_eq "$RC" 0 "an update logging to the planted $log"
done
expect_eq "$(cat /tmp/victim)" "root's" "the link's target"
expect_eq "$(cat theirs.log)" "mine" "the user's own file"
pass "no event written through a planted log file"

run_fe -at -o new.bup -ov -lf fresh.log
expect_contains fresh.log "The BIOS has been updated" "a fresh log file gets the events"
expect_eq "$(stat -c '%u %a' fresh.log)" "0 644" "the kernel's log file"
pass "a log file of the kernel's own"
