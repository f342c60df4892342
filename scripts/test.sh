#!/usr/bin/env bash
# Installs what is missing, builds Velmora, gives the fuzz targets a bounded run
# under the sanitizers, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
# Lighthouse, axe-core and puppeteer-core, exactly as the lock file names them.
(cd tests/collectapp/a11y && npm ci --no-audit --no-fund --loglevel=error)
scripts/fuzz.sh 20
scripts/tsan.sh
ctest --preset default -j 2
