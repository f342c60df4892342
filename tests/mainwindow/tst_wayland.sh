#!/usr/bin/env bash
# Runs the Wayland test natively under a headless weston of its own.
# Usage: tst_wayland.sh TEST_EXECUTABLE
set -euo pipefail
runtime="$(mktemp -d)"
chmod 700 "$runtime"
weston_pid=""
cleanup() { [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null; rm -rf "$runtime"; }
trap cleanup EXIT
export XDG_RUNTIME_DIR="$runtime"
weston --backend=headless-backend.so --socket=wayland-velmora-test --width=1280 --height=800 \
    --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [ -S "$runtime/wayland-velmora-test" ] && break
    sleep 0.05
done
[ -S "$runtime/wayland-velmora-test" ] || { echo "FAIL: weston did not start"; cat "$runtime/weston.log"; exit 1; }
WAYLAND_DISPLAY=wayland-velmora-test QT_QPA_PLATFORM=wayland "$1"
