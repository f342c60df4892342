#!/usr/bin/env bash
# Builds the survey core with clang, libFuzzer and the address and undefined
# behaviour sanitizers, and fuzzes each target for the given number of seconds
# (default 30): the page translation, the settings file, and the collector's
# form decoder and page reader. Then runs the collector's core tests built
# with the same sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
cmake --preset fuzz -G Ninja >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
fuzz() {
    local target=$1 corpus=$2
    local work
    work="$(mktemp -d)"
    cp "$corpus"/* "$work/"
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 "$work" 2>&1 | tail -n 15
    rm -rf "$work"
    echo "$target ran ${seconds} s without a crash, a sanitizer report or a hang."
}
fuzz fuzz_surveypage fuzz/corpus
fuzz fuzz_settingsfile fuzz/corpus-settings
fuzz fuzz_collect fuzz/corpus-collect
for test in tst_collector tst_answersfile tst_summary tst_clients tst_formdecoder; do
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1 \
        "build-fuzz/fuzz/$test" -silent
done
echo "The collector's core tests passed under AddressSanitizer and UndefinedBehaviorSanitizer."
