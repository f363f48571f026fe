# Helpers for end-to-end cases; sourced by each case inside the sandbox.
set -uo pipefail

[[ -n "${QM_SANDBOX:-}" ]] || { echo "refusing to run outside the sandbox" >&2; exit 2; }
: "${QM_KRNL:?path of qmkrnl2}"

PROFILE=/opt/fleetmon/quillmark/config/quillmark.conf
PROFILE_ETC=/etc/quillmark.conf
TRACE_INI=/opt/fleetmon/trace/qmkrnl2.ini
TRACE_FILE=/tmp/qm-e2e/kernel.trc
WORK=/tmp/qm-e2e
mkdir -p "$WORK"

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

expect_eq() {  # actual expected what
    [[ "$1" == "$2" ]] || fail "$3: expected '$2', got '$1'"
}
expect_contains() {  # file text what
    grep -qF -- "$2" "$1" || { echo "--- $1:"; cat "$1"; fail "$3: '$2' not found"; }
}
expect_not_contains() {
    ! grep -qF -- "$2" "$1" || { echo "--- $1:"; cat "$1"; fail "$3: '$2' found"; }
}

install_profile() {  # [path] content
    local path="$PROFILE"
    [[ $# -gt 1 ]] && { path="$1"; shift; }
    mkdir -p "$(dirname "$path")"
    printf '%b' "$1" >"$path"
}

# Tracing on; "Trace" first, since keys that prefix others must come first.
enable_trace() {  # level [trace file]
    mkdir -p "$(dirname "$TRACE_INI")"
    printf '[TRACE_SETTINGS]\nTrace=1\nTraceClear=1\nTraceFile=%s\nTraceLevel=%s\n' \
        "${2:-$TRACE_FILE}" "$1" >"$TRACE_INI"
}

# Runs the kernel; stdout, stderr and exit code land in $OUT, $ERR, $RC.
OUT="$WORK/stdout" ERR="$WORK/stderr" RC=0
run_krnl() {
    RC=0
    "$QM_KRNL" "$@" >"$OUT" 2>"$ERR" || RC=$?
}

# The install layout under /opt/fleetmon/quillmark, from the build tree.
QM_PREFIX=/opt/fleetmon/quillmark
install_layout() {
    : "${QM_BUILD_DIR:?build tree}"
    cmake --install "$QM_BUILD_DIR" --prefix "$QM_PREFIX" >/dev/null || fail "cmake --install"
    QM_KRNL="$QM_PREFIX/bin/qmkrnl2"
}

# A simulated board at the default state directory.
make_board() {  # [make-state options]
    "$QM_SOURCE_DIR/modules/qmxsim/make-state" "$QM_PREFIX/sim" "$@" >/dev/null || fail "make-state"
}
