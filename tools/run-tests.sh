#!/usr/bin/env bash
# Installs what is missing, checks that the C++ sources are formatted with the
# checked-in .clang-format, builds the debug tree with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test (the fuzz targets' corpora and
# findings among them), then builds the threaded tests with ThreadSanitizer
# and runs them again. Starts a JACK server (dummy back end) for the MIDI
# tests and an Xvfb display for the window tests when none is running, and
# stops them again at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-debian.sh"

# Formatting: every tracked C++ source as clang-format writes it.
(cd "$root" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror)

build="${VIVIVI_BUILD_DIR:-$root/build/debug-sanitize}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVIVIVI_SANITIZE=ON -DVIVIVI_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
# ThreadSanitizer: a tree of its own that builds only the threaded tests and
# what they start.
tsan_build="${VIVIVI_TSAN_BUILD_DIR:-$root/build/tsan}"
cmake -S "$root" -B "$tsan_build" -DCMAKE_BUILD_TYPE=Debug -DVIVIVI_TSAN=ON -DVIVIVI_BENCH=OFF -DVIVIVI_WERROR=ON >/dev/null
cmake --build "$tsan_build" -j"$(nproc)" --target threaded_tests

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# MIDI: a JACK server with the dummy back end; -S keeps MIDI between clients lossless.
if ! jack_lsp >/dev/null 2>&1; then
  jackd -S --no-realtime -d dummy -r 48000 -p 128 >"$build/jackd.log" 2>&1 &
  pids+=($!)
  jack_wait -w -t 10 >/dev/null
fi
# Windows: an X display.
if [ -z "${DISPLAY:-}" ]; then
  display=99
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
  pids+=($!)
  export DISPLAY=":$display"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

export VIVIVI_MIDI_API="${VIVIVI_MIDI_API:-jack}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tools/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# Every test runs once. Only a test that needs the shared JACK server (its
# MIDI port lock) may run a second time, and is named when it does: the
# dummy server under a full sanitizer load now and then stalls its clients
# ("engine may now behave abnormally"). Any other failure fails the run.
status=0
(cd "$build" && ctest --output-on-failure -j"$(nproc)" "$@") || status=$?
if [ "$status" -ne 0 ]; then
  failed_log="$build/Testing/Temporary/LastTestsFailed.log"
  [ -s "$failed_log" ] || exit "$status"
  jack_tests=$(cd "$build" && ctest --show-only=json-v1 | python3 "$root/tools/tests-needing-jack.py")
  others=$(cut -d: -f2- "$failed_log" | grep -vxF -f <(printf '%s\n' "$jack_tests") || true)
  if [ -n "$others" ]; then
    echo "failed (no second run: they do not need the JACK server):" >&2
    printf '  %s\n' $others >&2
    exit 1
  fi
  echo "run a second time (they need the shared JACK server and failed once):"
  cut -d: -f2- "$failed_log" | sed 's/^/  /'
  (cd "$build" && ctest --output-on-failure -j"$(nproc)" --rerun-failed)
fi
# ThreadSanitizer: no second run for any test. Suppressions name only
# third-party frames; a report of ours fails the run.
export TSAN_OPTIONS="${TSAN_OPTIONS:-suppressions=$root/tools/tsan.supp:halt_on_error=1:second_deadlock_stack=1}"
(cd "$tsan_build" && ctest --output-on-failure -j"$(nproc)" -L threaded "$@")
