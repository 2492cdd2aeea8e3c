#!/usr/bin/env bash
# Measures the desktop program from outside, three runs of it: with every
# simulated product (--demo) shown, the same hidden in the tray (--demo
# --tray), and with no device. For each run it reports, over the measured
# period after start-up:
#   CPU        user + system time of all its threads (/proc/PID/stat) per wall time
#   peak       VmHWM, the peak resident memory (/proc/PID/status)
#   threads    the thread count at the end (/proc/PID/status)
#   wake-ups   voluntary + involuntary context switches of all its threads
#              (/proc/PID/task/*/status), end minus start, per second (a
#              thread that ends within the period takes its count with it),
#              and those of its busiest thread, with the name it gave itself
#   simulator  of the CPU above, what the simulated devices' own threads
#              took (named after their simulator entries, "row<N>-..."):
#              the devices' side of every exchange, which real devices do in
#              their own firmware
#
#   scripts/measure_app.sh [seconds]      default 30
#
# The program is measured by the PID this script started, never found by
# name, so other copies running on the machine change nothing. Each run has
# its own XDG_RUNTIME_DIR, XDG_CONFIG_HOME, XDG_DATA_HOME and simulator
# directory and no session bus: it is always the first instance of its own
# user folders and hears no other copy. Without a display the script runs
# itself under xvfb-run when that is there (so the program is this shell's own
# child), else on Qt's offscreen platform.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${TALVEN_BUILD_DIR:-$root/build}"
app="$(readlink -f "$build/app/talven-k88" || true)"
seconds="${1:-30}"
settle=3  # seconds of start-up that are not measured
[[ -n "$app" && -x "$app" ]] || { echo "build the program first (scripts/setup.sh)" >&2; exit 1; }
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [seconds]" >&2; exit 2; }

if [[ -z "${DISPLAY:-}" && -z "${TALVEN_MEASURE_INNER:-}" ]] && command -v xvfb-run >/dev/null; then
  TALVEN_MEASURE_INNER=1 exec xvfb-run -a -s '-screen 0 1600x1000x24' "$0" "$@"
fi
platform=()
[[ -n "${DISPLAY:-}" ]] || platform=(QT_QPA_PLATFORM=offscreen)

# CPU ticks (user + system) of the whole process.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# One line per thread: its id, its context switches so far and its name.
thread_switches() {
  local task
  for task in "/proc/$1"/task/*; do
    awk -v t="${task##*/}" '/^Name:/ { sub(/^Name:[ \t]*/, ""); name = $0 }
         /^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print t, n + 0, name }' \
      "$task/status" 2>/dev/null
  done
}
# Wake-ups between two thread_switches lists: all threads alive at the end
# (one started meanwhile counts from 0; one that ended takes its count with
# it), and the busiest of them.
thread_wakeups() {
  awk 'NR == FNR { before[$1] = $2; next }
       { d = $2 - before[$1]; total += d
         if (d > max) { max = d; name = $0; sub(/^[^ ]+ [^ ]+ /, "", name) } }
       END { print total + 0, max + 0, name }' "$1" "$2"
}
# CPU time in nanoseconds of the simulator's device threads so far, from each
# thread's own schedstat: clock ticks would leave each of the five threads
# up to a tick off, a share of a few tenths of a percent.
sim_ns() {
  local task sum=0 t
  for task in "/proc/$1"/task/*; do
    [[ "$(cat "$task/comm" 2>/dev/null)" =~ ^row[0-9] ]] || continue
    t="$(awk '{ print $1 }' "$task/schedstat" 2>/dev/null)" || continue
    sum=$((sum + ${t:-0}))
  done
  echo "$sum"
}
status_field() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status"; }
# True while the PID is still the program this script started.
is_ours() { [[ -e "/proc/$1/exe" && "$(readlink -f "/proc/$1/exe")" == "$app" ]]; }

measure() {
  local label="$1"; shift
  local work; work="$(mktemp -d /tmp/talven-measure-XXXXXX)"
  mkdir -p "$work/run" "$work/data" "$work/config" "$work/sim"
  chmod 700 "$work/run"
  # `env` replaces itself with the program, so $! is the program's PID.
  env -u DBUS_SESSION_BUS_ADDRESS "${platform[@]}" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" \
    XDG_CONFIG_HOME="$work/config" TALVEN_SIM_DIR="$work/sim" "$app" "$@" >"$work/log" 2>&1 &
  local pid=$!
  sleep "$settle"
  if ! is_ours "$pid"; then
    echo "$label: the program (PID $pid) ended during start-up:" >&2
    cat "$work/log" >&2
    rm -rf "$work"
    return 1
  fi
  local hz; hz="$(getconf CLK_TCK)"
  local t0 s0 w0 t1 s1 w1 peak threads
  t0="$(cpu_ticks "$pid")"; s0="$(sim_ns "$pid")"; w0="$(date +%s.%N)"
  thread_switches "$pid" >"$work/threads0"
  sleep "$seconds"
  if ! is_ours "$pid"; then
    echo "$label: the program (PID $pid) ended while it was measured" >&2
    rm -rf "$work"
    return 1
  fi
  t1="$(cpu_ticks "$pid")"; s1="$(sim_ns "$pid")"; w1="$(date +%s.%N)"
  thread_switches "$pid" >"$work/threads1"
  local wakeups busiest busiestName
  read -r wakeups busiest busiestName < <(thread_wakeups "$work/threads0" "$work/threads1")
  peak="$(status_field "$pid" VmHWM)"
  threads="$(status_field "$pid" Threads)"
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
  rm -rf "$work"
  awk -v l="$label" -v pid="$pid" -v t0="$t0" -v t1="$t1" -v s0="$s0" -v s1="$s1" -v w0="$w0" -v w1="$w1" \
      -v hz="$hz" -v peak="$peak" -v threads="$threads" -v wakeups="$wakeups" -v busiest="$busiest" \
      -v busiestName="$busiestName" 'BEGIN {
    wall = w1 - w0
    printf "%-22s PID %-7d CPU %5.2f%% (simulator %4.2f%%)   peak %6.1f MiB   threads %3d   wake-ups %7.1f/s (busiest thread %6.1f/s, \"%s\")\n",
           l, pid, 100 * (t1 - t0) / hz / wall, 100 * (s1 - s0) / 1e9 / wall, peak / 1024, threads, wakeups / wall,
           busiest / wall, busiestName
  }'
}

echo "over ${seconds} s, after ${settle} s of start-up (CPU in % of one core):"
status=0
measure "--demo, shown" --demo || status=1
measure "--demo, in the tray" --demo --tray || status=1
measure "no device" || status=1
exit "$status"
