#!/usr/bin/env bash
# The fuzz harnesses of tests/fuzz.
#
# Short run (TALVEN_TEST_LONG=0): nothing more to do; ctest has already
# replayed every regression corpus (the fuzz_* tests).
#
# Long run (TALVEN_TEST_LONG=1): builds the libFuzzer binaries with clang,
# ASan and UBSan in a build folder of their own, then runs every harness to
# TALVEN_FUZZ_RUNS executions (10 million unless set) with leak detection,
# several harnesses at once (one per processor). Fails when any harness
# reports a crash, a leak, a sanitizer finding or a time-out, or stops short.
# New inputs go to a working corpus per harness in the build folder
# (fuzz-corpus/<name>, kept between runs so each run starts where the last
# ended), never into the source tree; a failing input is kept as
# <name>-crash-*/-leak-*/-timeout-* in the log folder.
#
#   TALVEN_FUZZ_BUILD_DIR  build folder (default build-fuzz beside build)
#   TALVEN_FUZZ_RUNS       executions per harness (default 10000000)
#   TALVEN_FUZZ_SECONDS    optional time limit per harness; a harness that
#                          reaches it stops short and the run fails
#   TALVEN_FUZZ_ONLY       optional space-separated list of harness names
#   TALVEN_FUZZ_JOBS       harnesses run at once (default: processors)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$(dirname "$here")")"

if [[ "${TALVEN_TEST_LONG:-0}" != 1 ]]; then
  echo "fuzz: short run: the corpora were replayed by ctest (fuzz_*)"
  exit 0
fi

build="${TALVEN_FUZZ_BUILD_DIR:-$root/build-fuzz}"
runs="${TALVEN_FUZZ_RUNS:-10000000}"
seconds="${TALVEN_FUZZ_SECONDS:-0}"
jobs="${TALVEN_FUZZ_JOBS:-$(nproc)}"

if [[ ! -f "$build/build.ninja" ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALVEN_FUZZ=ON -DTALVEN_BUILD_TESTS=OFF -DTALVEN_BUILD_GUI=OFF -DTALVEN_BUILD_BENCH=OFF
fi
# Every harness has a corpus folder; the slowest (the file loaders) start
# first so the run ends sooner.
if [[ -n "${TALVEN_FUZZ_ONLY:-}" ]]; then
  read -ra names <<<"$TALVEN_FUZZ_ONLY"
else
  mapfile -t names < <(ls "$root/tests/fuzz/corpus" |
    awk '/^(json_loaders|profile_encode)$/ {print 0, $0; next} {print 1, $0}' | sort -k1,1n -s | cut -d' ' -f2)
fi
cmake --build "$build" -j"$(nproc)" --target "${names[@]/#/fuzz_}"

logs="$build/fuzz-logs"
mkdir -p "$logs"
# The loaders write files: keep them in memory, as fsync on a disk would
# make them a hundred times slower.
scratch="$(mktemp -d "$( [[ -d /dev/shm ]] && echo /dev/shm || echo /tmp )/talven-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
# Short allocation stacks: a finding is reproduced with its saved input.
export ASAN_OPTIONS="detect_leaks=1:malloc_context_size=2:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

fuzz_one() {
  local name="$1" work="$scratch/$1" corpus="$build/fuzz-corpus/$1"
  mkdir -p "$corpus" "$work/tmp"
  cp -n "$root/tests/fuzz/corpus/$name"/* "$corpus/"
  local start=$SECONDS status=0
  # Inputs stay at 4 KiB, what libFuzzer picks for the binary harnesses
  # anyway: a loader's run costs in proportion to the text it parses, and
  # every branch of a JSON file or a packet stream is reachable in far less.
  TMPDIR="$work/tmp" nice -n 19 "$build/tests/fuzz/fuzz_$name" -runs="$runs" -max_total_time="$seconds" \
    -max_len=4096 -print_final_stats=1 -artifact_prefix="$logs/$name-" "$corpus" >"$logs/$name.log" 2>&1 || status=$?
  local done_runs rate
  done_runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$name.log")"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$logs/$name.log")"
  local verdict=ok
  echo "fuzz: $name: ${done_runs:-?} executions, ${rate:-?} exec/s, $((SECONDS - start)) s, exit $status"
  if [[ $status -ne 0 ]] || grep -qE '^SUMMARY: |ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$logs/$name.log"; then
    echo "fuzz: $name FAILED, see $logs/$name.log" >&2
    verdict=failed
  elif [[ "${done_runs:-0}" -lt "$runs" ]]; then
    echo "fuzz: $name stopped after ${done_runs:-0} of $runs executions" >&2
    verdict=short
  fi
  echo "$verdict" >"$logs/$name.verdict"
}

rm -f "$logs"/*.verdict
for name in "${names[@]}"; do
  while (( $(jobs -rp | wc -l) >= jobs )); do wait -n || true; done
  fuzz_one "$name" &
done
wait
failed=0
for name in "${names[@]}"; do
  [[ "$(cat "$logs/$name.verdict" 2>/dev/null)" == ok ]] || failed=1
done
exit $failed
