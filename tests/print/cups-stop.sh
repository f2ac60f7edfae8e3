#!/usr/bin/env bash
# Stops the private CUPS server of cups-start.sh and removes its folder.
# usage: cups-stop.sh DIR
set -uo pipefail
dir=${1:?usage: cups-stop.sh DIR}
if [[ -f $dir/cupsd.pid ]]; then
    pid=$(cat "$dir/cupsd.pid")
    if [[ -r /proc/$pid/cmdline ]] && tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q "cupsd.*$dir/etc/"; then
        kill "$pid" 2>/dev/null
        for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$pid" 2>/dev/null; then
            echo "cups-stop: cupsd $pid did not stop, killing it" >&2
            kill -9 "$pid" 2>/dev/null
        fi
    fi
fi
rm -rf "$dir"
echo "cups-stop: stopped and removed $dir"
