#!/usr/bin/env bash
# The long form of the crash test: 10,000 interrupted saves instead of the
# 1,000 of the ctest run (a few minutes). A short run has nothing to add.
set -euo pipefail
[[ "${TALVEN_TEST_LONG:-0}" == 1 ]] || exit 0
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${TALVEN_BUILD_DIR:-$root/build}"
TALVEN_CRASH_SAVES=10000 "$build/tests/test_safety" --gtest_filter='CrashSafety.*'
