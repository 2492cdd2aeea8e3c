#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, then
# configures and builds. Safe to run again: it only installs what is missing
# and the build is incremental.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${TALVEN_BUILD_DIR:-$root/build}"

packages=(
  build-essential cmake ninja-build pkg-config
  libjsoncpp-dev libudev-dev libcurl4-openssl-dev libasound2-dev libx11-dev libxi-dev libxtst-dev
  libglib2.0-dev gsettings-desktop-schemas
  qt6-base-dev qt6-svg-dev fonts-noto-core fonts-wqy-microhei
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth dbus python3 openssl
  libpipewire-0.3-dev libspa-0.2-dev pipewire pipewire-bin wireplumber
  dpkg-dev file lintian appstream man-db
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
# The lighting network test runs a Node.js client from the npm registry. A
# machine with its own (newer) node and npm keeps them; Debian's are only
# installed where either is missing.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi

if ((${#missing[@]})); then
  if [[ $(id -u) -eq 0 ]]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "setup: these packages are missing: ${missing[*]}" >&2
    echo "setup: install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j"$(nproc)"
