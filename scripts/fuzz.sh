#!/usr/bin/env bash
# Builds the page translation with clang, libFuzzer and the address and undefined
# behaviour sanitizers, and fuzzes it for the given number of seconds (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
cmake --preset fuzz -G Ninja >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp fuzz/corpus/* "$work/"
build-fuzz/fuzz/fuzz_surveypage -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=1 "$work" 2>&1 | tail -n 15
echo "Fuzzing ran ${seconds} s without a crash, a sanitizer report or a hang."
