#!/usr/bin/env bash
# The whole test suite built with clang under AddressSanitizer, UndefinedBehaviorSanitizer
# (with float-cast-overflow) and LeakSanitizer: any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset sanitize
cmake --build --preset sanitize -j"$(nproc)"
ctest --preset sanitize -j"$(nproc)"
