#!/usr/bin/env bash
# Runs Velmora in an X server and D-Bus session of its own with the AT-SPI bus,
# and checks what a screen reader gets. Usage: tst_atspi.sh VELMORA
set -euo pipefail
velmora="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
display=":$((RANDOM % 300 + 600))"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 & pids+=($!)
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")
export DISPLAY="$display" HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
mkdir -p "$work/config" "$work/Desktop" "$work/bin"
# The home page opened on one start in a hundred goes nowhere.
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & pids+=($!)
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$velmora" >"$work/velmora.log" 2>&1 & pids+=($!)
/usr/bin/python3 "$here/tst_atspi.py"
