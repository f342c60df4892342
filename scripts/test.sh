#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs every test, then gives the
# page translation a bounded fuzzing run under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
ctest --preset default -j 2
scripts/fuzz.sh 30
