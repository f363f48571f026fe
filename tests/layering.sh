#!/usr/bin/env bash
# Each folder includes only from the folders ARCHITECTURE.md names for it, so
# no include runs from a lower layer up to a higher one.
set -euo pipefail
root="${1:?source directory}"
cd "$root"

declare -A allowed=(
    [src/support]="support"
    [src/assessment]="assessment support"
    [src/crypt]="crypt support"
    [src/cmdline]="cmdline crypt support"
    [src/ipc]="ipc assessment support"
    [src/bupinfo]="bupinfo support"
    [src/extension]="extension assessment support quillmark"
    [src/kernel]="kernel assessment bupinfo cmdline extension ipc support quillmark"
    [frontend]="frontend assessment bupinfo cmdline crypt ipc support"
    [modules/qmxsim]="quillmark"
    [modules/qmxefi]="quillmark"
)

bad=0
for dir in "${!allowed[@]}"; do
    while IFS= read -r line; do
        file="${line%%:*}"
        top="$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$line")"
        if [[ " ${allowed[$dir]} " != *" $top "* ]]; then
            echo "layering: $file includes from $top/, which $dir may not use" >&2
            bad=1
        fi
    done < <(grep -HE '^#include "[^"/]+/' "$dir"/*.h "$dir"/*.cpp 2>/dev/null || true)
done
exit "$bad"
