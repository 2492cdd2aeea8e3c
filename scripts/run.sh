#!/usr/bin/env bash
# Sets everything up and runs the program.
#
#   scripts/run.sh          the supported devices attached to this machine
#   scripts/run.sh --demo   also simulated devices of every product (when none is attached)
#
# Further options go to the program (talven-k88 --help lists them).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${TALVEN_BUILD_DIR:-$root/build}"

"$here/setup.sh"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No desktop session here (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run it from a desktop, or headless with a screenshot:" >&2
  echo "  xvfb-run -a -s '-screen 0 1600x1000x24' $0 --demo --screenshot shot.png" >&2
  exit 1
fi
exec "$build/app/talven-k88" "$@"
