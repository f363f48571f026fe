#!/usr/bin/env bash
# Runs a command as user nobody inside the sandbox; skips (77) where the
# sandbox maps no such user (a sandbox started by a normal user).
if ! setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
    echo "SKIP: user 65534 is not available in this sandbox"
    exit 77
fi
exec setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
