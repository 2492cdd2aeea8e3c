#!/usr/bin/env bash
# Sets everything up (packages, configure, build) and runs every test.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${TALVEN_BUILD_DIR:-$root/build}"

"$here/setup.sh"
cd "$build"
ctest --output-on-failure --timeout 300 -j"$(nproc)" "$@"
