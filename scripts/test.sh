#!/usr/bin/env bash
# Installs what is missing, builds Velmora, gives the fuzz targets a bounded run
# under the sanitizers, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
scripts/fuzz.sh 30
ctest --preset default -j 2
