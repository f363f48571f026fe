# A local user plants folders under the names a kernel once chose for its
# own scratch folders: a root update never enters or removes them, and the
# transfer folder it does make is closed to that user.
source "$(dirname "$0")/lib.sh"
fe_setup
cd "$WORK"

tmp=/tmp
for var in TEMP TMP TMPDIR; do
    [[ -n ${!var:-} && -d ${!var} ]] && { tmp=${!var}; break; }
done
nobody true || exit 77
for name in qmxsim000000 qmxsim000001; do
    nobody mkdir "$tmp/$name"
    nobody sh -c "echo mine >'$tmp/$name/theirs'"
done

make_pkg new.bup --bios 1.01
run_fe -at -o new.bup
expect_eq "$RC" 0 "the update"
for name in qmxsim000000 qmxsim000001; do
    expect_eq "$(cat "$tmp/$name/theirs" 2>/dev/null)" "mine" "the user's $name is untouched"
done
pass "planted folders are neither entered nor removed"

# The update leaves its transfer folder in place: root's, and only root's.
found=0
for dir in "$tmp"/qmxsim*; do
    [[ $dir == */qmxsim00000[01] ]] && continue
    found=1
    expect_eq "$(stat -c '%u %a' "$dir")" "0 700" "the transfer folder's owner and mode"
    nobody ls "$dir" >/dev/null 2>&1 && fail "user 65534 can list the transfer folder $dir"
done
expect_eq "$found" 1 "the update's transfer folder"
pass "the transfer folder is private"
