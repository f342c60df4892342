#!/usr/bin/env bash
# Builds the collector's threaded core tests under ThreadSanitizer and runs them: the
# answers handed from request threads to writers and back, files replaced under
# their writers, collectors ended with answers queued. Any report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset tsan -G Ninja >/dev/null
cmake --build --preset tsan -j "$(nproc)"
for test in tst_collector tst_answersfile tst_clients; do
    QT_QPA_PLATFORM=offscreen \
        TSAN_OPTIONS="halt_on_error=1 exitcode=66 suppressions=$PWD/fuzz/tsan.supp" \
        "build-tsan/fuzz/$test" -silent
done
echo "The collector's core tests passed under ThreadSanitizer."
