#!/usr/bin/env bash
# The whole test suite built with clang under AddressSanitizer, UndefinedBehaviorSanitizer
# (with float-cast-overflow) and LeakSanitizer: any finding fails the run.
#
# The test preset sets the sanitizers' options; the programs the tests start (the help
# viewer, the installed program) inherit them. A finding ends a program with status 23,
# which none of ours uses, so a test expecting a child to fail with its own status can
# never take a finding in that child for it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset sanitize
cmake --build --preset sanitize -j"$(nproc)"
ctest --preset sanitize -j"$(nproc)"
