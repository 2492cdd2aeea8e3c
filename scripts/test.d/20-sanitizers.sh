#!/usr/bin/env bash
# The test suites again under AddressSanitizer with UndefinedBehaviorSanitizer
# (build-asan) and under ThreadSanitizer (build-tsan).
#
#   TALVEN_TEST_LONG=0  the programs without Qt: core, simulator, tool, update
#                       and audio library suites (the desktop is left out)
#   TALVEN_TEST_LONG=1  every test, the desktop program's included
#
#   TALVEN_SANITIZERS="asan"   only one of the two builds
#
# A report fails the run: the test that met it exits non-zero, and any report
# written to <build>/sanitizer-reports/ (also by a program a test started) is
# printed and fails the suite.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
long="${TALVEN_TEST_LONG:-0}"
gui=OFF
[[ "$long" == 1 ]] && gui=ON
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# The checks that are scripts alone run no program of ours. The short run
# also leaves out the crash-safety kill test (a hundred sanitized program
# starts, each a tenth of a second or more) and the private PipeWire server
# test; the long run has both, the kill test at 100 saves.
skipped='skin_check|skin_device_checks|language_files|layer_check|layer_check_cases'
if [[ "$long" == 1 ]]; then
  export TALVEN_CRASH_SAVES="${TALVEN_CRASH_SAVES:-100}"
else
  skipped+='|CrashSafety\.EveryFileHoldsOneWholeGenerationAfterAKillAtAnyMoment|pipewire_equaliser'
fi

failed=()
for kind in ${TALVEN_SANITIZERS:-asan tsan}; do
  case "$kind" in
    asan) sanitize=address,undefined ;;
    tsan) sanitize=thread ;;
    *) echo "sanitizers: unknown build '$kind' (asan or tsan)" >&2; exit 2 ;;
  esac
  build="$root/build-$kind"
  start=$SECONDS
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
    -DTALVEN_SANITIZE="$sanitize" -DTALVEN_BUILD_GUI="$gui" -DTALVEN_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)"
  built=$SECONDS
  reports="$build/sanitizer-reports"
  rm -rf "$reports"
  mkdir -p "$reports"
  ok=1
  ctest --test-dir "$build" --output-on-failure -j"$(nproc)" -E "^($skipped)$" || ok=0
  shopt -s nullglob
  found=("$reports"/*)
  shopt -u nullglob
  if ((${#found[@]})); then
    ok=0
    for report in "${found[@]}"; do
      echo "sanitizers: $kind report $report:"
      cat "$report"
    done
  fi
  echo "sanitizers: $kind built in $((built - start)) s, tested in $((SECONDS - built)) s"
  ((ok)) || failed+=("$kind")
done

if ((${#failed[@]})); then
  echo "sanitizers: failed: ${failed[*]}" >&2
  exit 1
fi
