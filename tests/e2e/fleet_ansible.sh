# The Ansible module and the rollout playbook (contrib/ansible) against the
# simulated board, through ansible-core from a private venv of Debian packages.
source "$(dirname "$0")/lib.sh"
CONTRIB="$QM_SOURCE_DIR/contrib/ansible"

# Built once per build tree; later runs reuse it without a download.
VENV="$QM_BUILD_DIR/ansible-venv"
"$CONTRIB/make-venv" "$VENV" >"$OUT" 2>"$ERR" || fail "make-venv could not build ansible-core's environment"
PLAYBOOK="$VENV/bin/ansible-playbook"
VPY="$VENV/venv/bin/python"

LC_ALL=C.UTF-8 PYTHONDONTWRITEBYTECODE=1 "$VPY" -m unittest discover -s "$CONTRIB/tests" -p 'test_*.py' >"$OUT" 2>"$ERR" ||
    { cat "$ERR"; fail "the module's unit tests"; }
pass "unit tests of the module"

fe_setup
mkdir -p "$WORK/home" "$WORK/ansible-local" "$WORK/ansible-remote" "$WORK/bin" "$WORK/pkgs" "$WORK/backups"
export HOME="$WORK/home" ANSIBLE_LOCAL_TEMP="$WORK/ansible-local" ANSIBLE_REMOTE_TEMP="$WORK/ansible-remote"
export ANSIBLE_LIBRARY="$CONTRIB/library" ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
export ANSIBLE_CONNECTION_PLUGINS="$CONTRIB/tests/connection_plugins" ANSIBLE_PYTHON_INTERPRETER="$VPY"
cd "$WORK" || fail "cd $WORK"

# The front-end behind a wrapper that records each command line the module sends.
CALLS="$WORK/frontend-calls"
cat >"$WORK/bin/quillmark" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$CALLS"
exec "$QM_FE" "\$@"
EOF
chmod 0755 "$WORK/bin/quillmark"

# One module task; its registered result lands in $RESULT, also when it failed.
cat >"$WORK/one_task.yml" <<'EOF'
- hosts: localhost
  gather_facts: false
  tasks:
    - quillmark:
        action: "{{ qm.action | default(omit) }}"
        package: "{{ qm.package | default(omit) }}"
        archive: "{{ qm.archive | default(omit) }}"
        allow_reinstall: "{{ qm.allow_reinstall | default(omit) }}"
        allow_older: "{{ qm.allow_older | default(omit) }}"
        overwrite: "{{ qm.overwrite | default(omit) }}"
        password: "{{ qm.password | default(omit) }}"
        quillmark: "{{ qm_bin }}"
      register: r
      ignore_errors: true
    - ansible.builtin.copy:
        content: "{{ r | to_json }}"
        dest: "{{ result_file }}"
      check_mode: false
EOF
RESULT="$WORK/result.json"
module() {  # json-args [ansible-playbook options]
    local args=$1
    shift
    rm -f "$RESULT"
    "$PLAYBOOK" -i localhost, -c local "$WORK/one_task.yml" -e "{\"qm\": $args}" \
        -e "result_file=$RESULT qm_bin=$WORK/bin/quillmark" "$@" >"$OUT" 2>"$ERR" ||
        { cat "$OUT"; fail "ansible-playbook for $args"; }
    [[ -s $RESULT ]] || fail "no result for $args"
}
# A value of the last result, JSON-encoded unless it is text.
value() {
    python3 -c 'import json, sys
v = json.load(open(sys.argv[1])).get(sys.argv[2])
print(v if isinstance(v, str) else json.dumps(v))' "$RESULT" "$1"
}
expect_result() {  # changed failed what
    expect_eq "$(value changed)/$(value failed)" "$1/$2" "$3 (msg: $(value msg))"
}
board_snapshot() { (cd "$SIM" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

make_pkg pkgs/new.bup --bios 1.01
module "{\"package\": \"$WORK/pkgs/new.bup\"}"
expect_result true false "update to a newer BIOS"
expect_eq "$(value bios_before)/$(value bios_after)" "1.00/1.01" "BIOS before and after"
expect_eq "$(value reboot_required)" false "a package that needs no reboot"
expect_eq "$(board_value bios_version)" 1.01 "the board runs the new BIOS"
module "{\"package\": \"$WORK/pkgs/new.bup\"}"
expect_result false false "the same package again"
expect_eq "$(board_value bios_version)" 1.01 "nothing flashed the second time"
pass "update, then unchanged"

make_pkg pkgs/old.bup --bios 1.00
module "{\"package\": \"$WORK/pkgs/old.bup\"}"
expect_result false true "an older package"
[[ $(value msg) == *allow_older* ]] || fail "the refusal names allow_older: $(value msg)"
expect_eq "$(board_value bios_version)" 1.01 "the older BIOS was refused"
module "{\"package\": \"$WORK/pkgs/old.bup\", \"allow_older\": true}"
expect_result true false "an older package with allow_older"
expect_eq "$(board_value bios_version)" 1.00 "the older BIOS went in"
make_pkg pkgs/other.bup --board OTHER-BOARD --bios 9.00
module "{\"package\": \"$WORK/pkgs/other.bup\"}"
expect_result false true "a package for another board"
expect_eq "$(board_value bios_version)" 1.00 "nothing flashed for another board"
pass "older package and another board's package"

make_pkg pkgs/newer.bup --bios 1.02
before=$(board_snapshot)
# A kernel left idle by a status run waits 10 s for a job before it ends.
wait_kernel_gone 25 "the last job's kernel"
: >"$CALLS"
module "{\"package\": \"$WORK/pkgs/newer.bup\"}" --check
expect_result true false "check mode predicts an update"
[[ $(value msg) == prediction* ]] || fail "check mode says it predicts: $(value msg)"
expect_eq "$(value bios_after)" 1.02 "the predicted BIOS"
module "{\"package\": \"$WORK/pkgs/other.bup\"}" --check
expect_result false true "check mode predicts the failure of another board's package"
[[ $(value msg) == *OTHER-BOARD* ]] || fail "the prediction names the package's board: $(value msg)"
module "{\"action\": \"backup\", \"archive\": \"$WORK/backups/never.nvux\"}" --check
expect_result true false "check mode predicts a backup"
[[ ! -e $WORK/backups/never.nvux ]] || fail "check mode wrote a backup"
expect_eq "$(board_snapshot)" "$before" "the board's state after check mode"
expect_eq "$(grep -cv -e '^--json status$' "$CALLS")" 0 "only status jobs in check mode: $(cat "$CALLS")"
pass "check mode"

mkdir -p "$SIM/config"
printf 'settings A' >"$SIM/config/setup_settings.bin"
module "{\"action\": \"backup\", \"archive\": \"$WORK/backups/saved.nvux\"}"
expect_result true false "backup"
[[ -s $WORK/backups/saved.nvux ]] || fail "no archive"
module "{\"action\": \"backup\", \"archive\": \"$WORK/backups/saved.nvux\"}"
expect_result false true "a backup over an existing archive"
[[ $(value msg) == *overwrite* ]] || fail "the refusal names overwrite: $(value msg)"
printf 'settings B' >"$SIM/config/setup_settings.bin"
board_set '{"bios_password": "s3cret-pw"}'
module "{\"action\": \"restore\", \"archive\": \"$WORK/backups/saved.nvux\"}"
expect_result false true "a restore without the board's password"
module "{\"action\": \"restore\", \"archive\": \"$WORK/backups/saved.nvux\", \"password\": \"s3cret-pw\"}"
expect_result true false "restore with the password"
expect_eq "$(cat "$SIM/config/setup_settings.bin")" "settings A" "the archived settings are back"
expect_not_contains "$RESULT" "s3cret-pw" "the password in the result"
expect_not_contains "$OUT" "s3cret-pw" "the password in ansible's output"
expect_not_contains "$CALLS" "s3cret-pw" "the password on the front-end's command line"
board_set '{"bios_password": ""}'
pass "backup and restore"

# The playbook: its reboot task runs the sandbox's recording shutdown in place
# of a reboot, and a changing value stands for the new boot.
make_pkg pkgs/reboot.bup --bios 1.03 --reboot after
printf 'fleet1 ansible_connection=sandbox_local\n' >"$WORK/hosts"
rollout() {
    "$PLAYBOOK" -i "$WORK/hosts" "$CONTRIB/playbooks/rollout.yml" -e quillmark_become=false \
        -e "quillmark_package=$WORK/pkgs/reboot.bup quillmark_backup_dir=$WORK/rollout-backups" \
        -e "quillmark_bin=$WORK/bin/quillmark" -e "quillmark_reboot_command='/sbin/shutdown -r +1 qm-rollout-test'" \
        -e "quillmark_boot_time_command='date +%s%N'" >"$OUT" 2>"$ERR" || { cat "$OUT"; fail "rollout.yml: $1"; }
}
rm -f "$QM_SHUTDOWN_LOG"
rollout "an update that needs a reboot"
expect_eq "$(board_value bios_version)" 1.03 "the rollout's BIOS"
wait_kernel_gone 25 "the rollout's kernel"
expect_eq "$(grep -c '^--$' "$QM_SHUTDOWN_LOG" 2>/dev/null)" 1 "reboots after a rollout that needs one"
expect_contains "$QM_SHUTDOWN_LOG" "qm-rollout-test" "the playbook's reboot command ran"
expect_eq "$(find "$WORK/rollout-backups" -name '*.nvux' | wc -l)" 1 "backups made by the rollout"
sleep 1  # the next backup's name holds the second
rollout "the same package again"
wait_kernel_gone 25 "the second rollout's kernel"
expect_eq "$(grep -c '^--$' "$QM_SHUTDOWN_LOG")" 1 "reboots after a rollout with nothing to do"
expect_eq "$(find "$WORK/rollout-backups" -name '*.nvux' | wc -l)" 2 "backups after the second rollout"
pass "rollout playbook"
