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

# The last run's stderr goes with a failure: it usually names the cause.
fail() {
    [[ -s ${ERR:-} ]] && { echo "--- stderr of the last run:" >&2; cat "$ERR" >&2; }
    echo "FAIL: $*" >&2
    exit 1
}
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

# ---- sessions through the front-end ----------------------------------------
QM_FE="$QM_PREFIX/bin/quillmark"
REQUEST_FIFO=/tmp/158955C3_846D_4F01_84A4_ED2AE14208FC.sync
RESPONSE_FIFO_BASE=/tmp/DC787BDB_3880_47FC_B905_DDAA308E7031

# Runs quillmark; stdout, stderr and exit code land in $OUT, $ERR, $RC.
run_fe() {
    RC=0
    "$QM_FE" "$@" >"$OUT" 2>"$ERR" </dev/null || RC=$?
}

# Installed layout, a board, a profile and a kernel trace at level 4.
fe_setup() {  # [make-state options]
    install_layout
    make_board "$@"
    enable_trace 4
}

# Waits until the file holds the text; fails after the given seconds.
wait_for_text() {  # file text seconds what
    local end=$((SECONDS + $3))
    until grep -qF -- "$2" "$1" 2>/dev/null; do
        ((SECONDS < end)) || { [[ -f $1 ]] && tail -20 "$1"; fail "$4: '$2' did not appear"; }
        sleep 0.05
    done
}

# Runs a command as the local user 65534 (as_nobody.sh: exit 77 where the
# sandbox has no such user, so "nobody true || exit 77" skips a case).
nobody() { bash "$QM_SOURCE_DIR/tests/e2e/as_nobody.sh" "$@"; }

# Waits until a kernel started by the case has made its request FIFO, so a
# front-end arriving next finds it announced.
wait_request_fifo() {  # seconds what
    local end=$((SECONDS + $1))
    until [[ -p $REQUEST_FIFO ]]; do
        ((SECONDS < end)) || fail "$2: the kernel never opened its request FIFO"
        sleep 0.02
    done
}

# Pid of the running kernel, empty when none.
kernel_pid() { pgrep -x qmkrnl2 | head -1; }

# Waits until no kernel runs; fails after the given seconds.
wait_kernel_gone() {  # seconds what
    local end=$((SECONDS + $1))
    while [[ -n $(kernel_pid) ]]; do
        ((SECONDS < end)) || fail "$2: the kernel still runs"
        sleep 0.05
    done
}

# A 32-bit little-endian integer as printf escapes.
le32() {
    local v=$(($1 & 0xFFFFFFFF))
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255))
}

# Writes a raw job record into the kernel's request FIFO: type only, or a
# request with command line and process id.
send_record() {  # type [command-line pid]
    local bytes
    bytes=$(le32 "$1")
    if (($# > 1)); then
        local n=$((${#2} + 1))
        bytes+=$(le32 $((4 + n + 4)))$(le32 "$n")
        bytes+=$(printf '%s' "$2" | od -An -tx1 -v | tr -s ' \n' ' ' | sed 's/ *$//; s/^ */\\x/; s/ /\\x/g')'\x00'
        bytes+=$(le32 "$3")
    fi
    printf '%b' "$bytes" >"$REQUEST_FIFO"
}

# ---- packages and the simulated board's state ------------------------------
SIM="$QM_PREFIX/sim"

# An update package made by the simulated board's own tool.
make_pkg() {  # out [make-package options]
    "$QM_SOURCE_DIR/modules/qmxsim/make-package" "$@" || fail "make-package $*"
}

# A zip written member by member as a hostile producer could (tests/craft_zip.py).
craft_zip() {  # out [name content mode encrypted repeat]...
    python3 -I -S "$QM_SOURCE_DIR/tests/craft_zip.py" "$@" || fail "craft_zip $1"
}

# One value of the board's board.json.
board_value() {  # key
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$SIM/board.json" "$1"
}

# Replaces keys of board.json, given as JSON text of an object.
board_set() {  # json-object
    python3 - "$SIM/board.json" "$1" <<'PY' || fail "board_set $1"
import json, sys
state = json.load(open(sys.argv[1]))
state.update(json.loads(sys.argv[2]))
json.dump(state, open(sys.argv[1], "w"))
PY
}
