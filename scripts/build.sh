#!/usr/bin/env bash
# Configures and builds Velmora into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default -G Ninja >/dev/null
cmake --build --preset default -j "$(nproc)"
