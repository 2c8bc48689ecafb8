#!/usr/bin/env bash
# Builds Quonder (installing missing packages) and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The same build folder and type as the test command, so that running after testing (or the
# other way round) rebuilds only what changed; the window is asked for explicitly, in case the
# folder was configured without it.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUONDER_BUILD_GUI=ON >/dev/null
cmake --build build
exec build/bin/quonder "$@"
