#!/usr/bin/env bash
# Configures and builds into build/ with the default preset (RelWithDebInfo, warnings
# as errors). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default "$@"
cmake --build --preset default -j"$(nproc)"
