#!/usr/bin/env bash
# Measures the desktop program from outside: CPU share and peak memory over
# a period, with every simulated product animating (--demo) and with no
# device. Reads /proc/<pid>/stat (user + system ticks) and VmHWM.
#
#   scripts/measure_app.sh [seconds]      default 30
#
# Runs on Xvfb when xvfb-run is there, else on Qt's offscreen platform.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${TALVEN_BUILD_DIR:-$root/build}"
app="$build/app/talven-k88"
seconds="${1:-30}"
[[ -x "$app" ]] || { echo "build the program first (scripts/setup.sh)" >&2; exit 1; }

measure() {
  local label="$1"; shift
  local work; work="$(mktemp -d /tmp/talven-measure-XXXXXX)"
  mkdir -p "$work/run" "$work/data" "$work/config" "$work/sim"
  chmod 700 "$work/run"
  local env=(XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
             TALVEN_SIM_DIR="$work/sim")
  if command -v xvfb-run >/dev/null; then
    env "${env[@]}" xvfb-run -a -s '-screen 0 1600x1000x24' "$app" "$@" >/dev/null 2>&1 &
  else
    env "${env[@]}" QT_QPA_PLATFORM=offscreen "$app" "$@" >/dev/null 2>&1 &
  fi
  local launcher=$!
  local pid=""
  for _ in $(seq 100); do
    pid="$(pgrep -n -f "^$app" || true)"
    [[ -n "$pid" ]] && break
    sleep 0.1
  done
  [[ -n "$pid" ]] || { echo "$label: the program did not start" >&2; return 1; }
  sleep 3  # start-up is not what we measure
  local hz; hz="$(getconf CLK_TCK)"
  local t0; t0="$(awk '{print $14 + $15}' "/proc/$pid/stat")"
  local w0; w0="$(date +%s.%N)"
  sleep "$seconds"
  local t1; t1="$(awk '{print $14 + $15}' "/proc/$pid/stat")"
  local w1; w1="$(date +%s.%N)"
  local peak; peak="$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")"
  kill -TERM "$pid"
  wait "$launcher" 2>/dev/null || true
  rm -rf "$work"
  awk -v l="$label" -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" -v hz="$hz" -v peak="$peak" \
    'BEGIN { printf "%-28s CPU %5.1f%% of one core   peak memory %6.1f MiB\n", l, 100 * (t1 - t0) / hz / (w1 - w0), peak / 1024 }'
}

echo "over ${seconds} s:"
measure "--demo (every product)" --demo
measure "no device"
