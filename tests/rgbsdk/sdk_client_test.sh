#!/bin/bash
# Runs the program on simulated devices with its lighting network server on
# a free port and lets sdk_client_check.js talk to it through the npm
# registry's openrgb-sdk client, installed once into the build tree.
#
# usage: sdk_client_test.sh <talven-k88> <talvenctl> <build dir>
set -u
app=$1 talvenctl=$2 build=$3
here=$(cd "$(dirname "$0")" && pwd)
client_dir=$build/npm-sdk
client_version=0.6.0

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "node and npm are needed (scripts/setup.sh installs them)" >&2
    exit 1
fi
if [ ! -f "$client_dir/node_modules/openrgb-sdk/package.json" ]; then
    npm install --silent --no-audit --no-fund --prefix "$client_dir" "openrgb-sdk@$client_version" >&2 || {
        echo "npm could not install openrgb-sdk@$client_version" >&2
        exit 1
    }
fi

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/run" "$work/data" "$work/config" "$work/sim"
chmod 700 "$work/run"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export TALVEN_SIM_DIR=$work/sim QT_QPA_PLATFORM=offscreen
"$app" --demo --sdk-server="$port" >"$work/app.log" 2>&1 &
pid=$!

if ! node "$here/sdk_client_check.js" "$client_dir" "$port" "$talvenctl"; then
    echo "--- program output ---" >&2
    tail -n 40 "$work/app.log" >&2
    exit 1
fi
