# Man pages and bash completion as installed: they render without warnings,
# the front-end's page names everything `quillmark --help` and the option
# table offer (so nothing new goes undocumented), and the completion completes
# verbs, flags, options and the right file names.
source "$(dirname "$0")/lib.sh"
install_layout
MAN1="$QM_PREFIX/share/man/man1/quillmark.1"
MAN8="$QM_PREFIX/share/man/man8/qmkrnl2.8"
COMPLETION="$QM_PREFIX/share/bash-completion/completions/quillmark"

render() {  # page out
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -l "$1" >"$2" 2>"$WORK/man.err" || fail "man -l $1"
    [[ ! -s $WORK/man.err ]] || { cat "$WORK/man.err"; fail "$1 renders with warnings"; }
}
render "$MAN1" "$WORK/quillmark.txt"
render "$MAN8" "$WORK/qmkrnl2.txt"
pass "both pages render without warnings"

"$QM_FE" --help >"$WORK/help.txt" || fail "quillmark --help"
# The lines of one section of the help text: from its heading to a blank line.
help_section() { awk -v h="$1" 'index($0, h) == 1 { on = 1; next } on && /^$/ { exit } on' "$WORK/help.txt"; }
# Option names of a section: the words starting with "-" before the description.
help_options() { help_section "$1" | awk -F '  +' '/^  -/ { print $2 }' | grep -oE -- '(^| )-[^ ,]+' | tr -d ' '; }
VERBS=$(help_section "Verbs" | sed -nE '/^Flags/q; s/^  ([a-z][a-z-]*).*/\1/p')
FLAGS=$(help_options "Flags of the verbs")
FRONTEND=$(help_options "Front-end options")
EXIT_CODES=$(help_section "Exit codes" | awk '{ print $1 }')
# Shown options of the option table: each text with one dash more.
table_options() {
    sed -nE "s/^ *\{\{\"([^\"]+)\", (nullptr|\"([^\"]+)\")\}.*$1\},?$/-\1 -\3/p" \
        "$QM_SOURCE_DIR/src/cmdline/option_table.cpp" | tr ' ' '\n' | grep -vx -- '-'
}
JOB_OPTIONS=$(table_options kShown)
HIDDEN=$(table_options kHidden)
for list in VERBS FLAGS FRONTEND EXIT_CODES JOB_OPTIONS HIDDEN; do
    [[ -n ${!list} ]] || fail "nothing found for $list: the help text or the option table changed shape"
done
grep -qx update <<<"$VERBS" || fail "the verbs read from --help lack update: $VERBS"

# A word of the page as a whole: not part of a longer option or name.
documented() {  # text-file word
    local re
    re=$(printf '%s' "$2" | sed 's/[][\.*^$?+(){}|/]/\\&/g')
    grep -qE -- "(^|[^[:alnum:]_-])$re([^[:alnum:]_-]|$)" "$1"
}
for word in $VERBS $FLAGS $FRONTEND $JOB_OPTIONS; do
    documented "$WORK/quillmark.txt" "$word" || fail "quillmark(1) does not name '$word'"
done
for word in $HIDDEN; do
    ! documented "$WORK/quillmark.txt" "$word" || fail "quillmark(1) names the hidden option '$word'"
done
section=$(awk '/^EXIT STATUS/ { on = 1; next } /^[A-Z]/ { on = 0 } on' "$WORK/quillmark.txt")
for code in $EXIT_CODES; do
    grep -qE "^ +$code +[A-Z]" <<<"$section" || fail "quillmark(1) has no exit code $code"
done
for word in -h --help -v --version -lm --loadmodule -sv --server --noextlocate qmx_modules.conf; do
    documented "$WORK/qmkrnl2.txt" "$word" || fail "qmkrnl2(8) does not name '$word'"
done
pass "quillmark(1) names $(wc -w <<<"$VERBS $FLAGS $FRONTEND $JOB_OPTIONS") verbs and options, and no hidden one"

# ---- completion --------------------------------------------------------------
mkdir -p "$WORK/files/folder"
touch "$WORK/files/a.bup" "$WORK/files/b.nvux" "$WORK/files/notes.txt"
# What the completion offers for the words, the last one being completed, in
# the files folder: sorted, one a line.
complete_words() {
    (cd "$WORK/files" && bash --norc --noprofile -c '
        source "$1" || exit 1
        shift
        fn=$(complete -p quillmark | sed -nE "s/.* -F ([^ ]+) .*/\1/p")
        [[ -n $fn ]] || { echo "quillmark has no completion function" >&2; exit 1; }
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        "$fn"
        printf "%s\n" "${COMPREPLY[@]}" | sort -u' _ "$COMPLETION" "$@") || fail "completing '$*'"
}
lines() { printf '%s\n' "$@"; }

expect_eq "$(complete_words quillmark up)" "update" "quillmark up<TAB>"
expect_eq "$(complete_words quillmark update --allow-)" "$(lines --allow-older --allow-reinstall)" "update --allow-<TAB>"
expect_eq "$(complete_words quillmark --json la)" "last-action" "a verb after a front-end option"
pass "verbs and flags"

expect_eq "$(complete_words quillmark update '')" "$(lines a.bup folder)" "update <TAB>: packages and folders"
expect_eq "$(complete_words quillmark restore '')" "$(lines b.nvux folder)" "restore <TAB>: archives and folders"
expect_eq "$(complete_words quillmark backup '')" "$(lines b.nvux folder)" "backup <TAB>"
expect_eq "$(complete_words quillmark combine --bios '')" "$(lines a.bup folder)" "combine --bios <TAB>"
expect_eq "$(complete_words quillmark combine --bios a.bup --config '')" "$(lines b.nvux folder)" "combine --config <TAB>"
expect_eq "$(complete_words quillmark update --log '')" "$(lines a.bup b.nvux folder notes.txt)" "--log <TAB>: any file"
expect_eq "$(complete_words quillmark -at -o a.bup -d '')" "folder" "-d <TAB>: folders only"
pass "file names"

offered=$(complete_words quillmark -)
for word in $JOB_OPTIONS $FRONTEND; do
    [[ $word == "-?" ]] && continue  # a glob character, typed by nobody at a prompt
    grep -qxF -- "$word" <<<"$offered" || fail "quillmark -<TAB> does not offer '$word'"
done
for word in $HIDDEN; do
    ! grep -qxF -- "$word" <<<"$offered" || fail "the completion offers the hidden option '$word'"
done
offered=$(complete_words quillmark '')
for word in $VERBS; do
    grep -qxF -- "$word" <<<"$offered" || fail "quillmark <TAB> does not offer the verb '$word'"
done
offered=$(complete_words quillmark -at -)
grep -qxF -- "-arb" <<<"$offered" || fail "job options after a job option"
! grep -qxF -- "--json" <<<"$offered" || fail "front-end options offered inside the job"
pass "every verb, front-end option and shown job option is offered"
