#!/usr/bin/env bash
# Sets everything up (packages, configure, build) and runs every test.
#
#   scripts/test.sh           the short run: every test suite, then the extra
#                             suites in scripts/test.d/ in their quick form
#   scripts/test.sh --long    the same, with the extra suites run in full
#
# Further arguments go to ctest. Each scripts/test.d/*.sh is one extra suite
# (sanitizer builds, fuzzing, ...); it reads TALVEN_TEST_LONG (0 or 1) and
# exits non-zero on failure.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${TALVEN_BUILD_DIR:-$root/build}"

long=0
ctest_args=()
for arg in "$@"; do
  if [[ "$arg" == "--long" ]]; then long=1; else ctest_args+=("$arg"); fi
done
export TALVEN_TEST_LONG=$long

"$here/setup.sh"
cd "$build"
ctest --output-on-failure --timeout 300 -j"$(nproc)" ${ctest_args[@]+"${ctest_args[@]}"}

shopt -s nullglob
for suite in "$here"/test.d/*.sh; do
  echo "test: $(basename "$suite") ($([[ $long == 1 ]] && echo long || echo short) run)"
  "$suite"
done
