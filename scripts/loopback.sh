#!/usr/bin/env bash
# Runs a command in a network namespace of its own that has only loopback, brought up, so
# nothing it sends can leave the machine:
#   bash scripts/loopback.sh COMMAND [ARGUMENT...]
# Root enters it directly (unshare -n); an ordinary user inside a user namespace in which the
# user is root (unshare -rn), which the kernel may forbid (README.md says how to allow it). The
# command runs under bash, not sh: dash drops exported bash functions from the environment.
set -euo pipefail
if [ "$(id -u)" -eq 0 ]; then
    flags=-n
else
    flags=-rn
    if ! unshare -rn ip link set lo up 2>/dev/null; then
        echo "loopback.sh: user namespaces are switched off here (unshare -rn fails); README.md" \
            "(\"Set-up on a fresh machine\") says how to switch them on" >&2
        exit 1
    fi
fi
exec unshare "$flags" bash -c 'ip link set lo up && exec "$@"' loopback.sh "$@"
