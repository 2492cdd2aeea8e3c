#!/usr/bin/env bash
# Sets everything up and runs the program.
#
#   scripts/run.sh          the supported devices attached to this machine
#   scripts/run.sh --demo   simulated devices (when none is attached)
#
# Until the desktop window lands, this lists what the tool finds: with --demo
# it starts the device simulator, lists the simulated devices and keeps them
# running until Ctrl+C.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${TALVEN_BUILD_DIR:-$root/build}"

"$here/setup.sh"

if [[ "${1:-}" == "--demo" ]]; then
  simdir="$(mktemp -d /tmp/talven-demo-XXXXXX)"
  "$build/sim/talven-devsim" --dir "$simdir" &
  sim=$!
  trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$simdir"' EXIT
  for _ in $(seq 50); do [[ -S "$simdir/.control" ]] && break; sleep 0.1; done
  export TALVEN_SIM_DIR="$simdir"
  "$build/tools/talvenctl" list
  echo
  echo "Simulated devices run in $simdir; try in another terminal:"
  echo "  TALVEN_SIM_DIR=$simdir $build/tools/talvenctl --trace --device keyboard info"
  echo "Press Ctrl+C to stop."
  wait $sim
else
  exec "$build/tools/talvenctl" list
fi
