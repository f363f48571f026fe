# A local user (uid 65534) gets in front of the real kernel: their own kernel
# announces itself first, or they hold the start-up lock. A root front-end
# sends them no job and no password, says what it found and exits 3; a held
# lock delays nothing.
source "$(dirname "$0")/lib.sh"
fe_setup
nobody true || exit 77
cd "$WORK"
make_pkg new.bup --bios 1.05

# The user's kernel: the real program, run as the user, announced first.
nobody "$QM_KRNL" --server >/dev/null 2>&1 &
wait_request_fifo 10 "the kernel started here"
fake=$(kernel_pid)
[[ -n $fake ]] || fail "the user's kernel did not start"
run_fe -at -o new.bup -ov -pwd s3cret
expect_eq "$RC" 3 "a root job offered to the user's kernel"
expect_contains "$ERR" "the kernel is not trusted: its announcement block belongs to uid 65534, not to root" \
    "what the front-end found"
# A kernel ends once it has served a job: the user's is still waiting for one.
kill -0 "$fake" 2>/dev/null || fail "the user's kernel received the job"
expect_eq "$(board_value bios_version)" "1.00" "the board's BIOS"
kill "$fake"
wait_kernel_gone 12 "the user's kernel ended"
pass "no job for a kernel of another user"

# The user holds every lock they can: root's front-end does not wait for them.
nobody sh -c 'exec 9>/tmp/quillmark.lock; flock 9; exec sleep 60' &
holder=$!
nobody sh -c 'exec 9>>/run/quillmark/quillmark.lock' 2>/dev/null && fail "uid 65534 opened root's lock"
start=$SECONDS
run_fe --status
expect_eq "$RC" 0 "status while the user holds a lock"
((SECONDS - start < 10)) || fail "the front-end waited $((SECONDS - start)) s for the user's lock"
expect_eq "$(stat -c '%U %a' /run/quillmark)" "root 755" "root's lock folder"
expect_eq "$(stat -c '%U %a' /run/quillmark/quillmark.lock)" "root 600" "root's lock"
kill "$holder"
pass "a lock held by another user delays nothing"

# Forged announcements in the initialisation FIFO, beside a root kernel's: they
# are dropped, and root's front-ends reach the real kernel.
wait_kernel_gone 12 "the earlier kernels ended"
run_fe --status
expect_eq "$RC" 0 "a root kernel"
kpid=$(kernel_pid)
init_fifo=/tmp/F85FBA5E_12E3_4EC9_B0AA_B84E5A3CA632.sync
forged=$(le32 "$kpid")$(le32 424242)$(le32 "$kpid")$(le32 0)
nobody sh -c "printf '$forged' >'$init_fifo'" || fail "the forged announcements"
for n in 1 2 3; do
    run_fe --status
    expect_eq "$RC" 0 "root's front-end $n beside forged announcements"
    expect_eq "$(pgrep -x qmkrnl2 | tr '\n' ' ')" "$kpid " "front-end $n reached the running kernel"
done
run_fe -ast
expect_eq "$RC" 0 "a job beside forged announcements"
pass "forged announcements are dropped"
