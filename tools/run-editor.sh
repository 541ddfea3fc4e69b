#!/usr/bin/env bash
# Installs what is missing, builds the release tree, installs the editor
# (tools/install.sh: VivivI.bundle into the host's plug-in folder, and a data
# folder seeded once with the settings file and the factory library, never
# overwriting what a user has) and runs the installed bundle in the host
# program against the simulated Varno: starts a JACK server with the dummy
# back end when MIDI goes through JACK and none runs (ALSA sequencer ports
# are used where they exist; VIVIVI_MIDI_API, alsa or jack, chooses), starts
# the simulator on its ports "Varno In" and "Varno Out", opens VivivI.bundle
# with the editor's MIDI input and output set to them by name, and shows the
# editor in an X window until it is closed when a display is there; without a
# display it writes PNGs of the window before and after a sound request and
# of its librarian page, and says where. Stops what it started on exit.
# Arguments replace the host's default actions (the simulator still runs).
# VIVIVI_JOBS sets the build's parallel jobs (default: every processor).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-debian.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"${VIVIVI_JOBS:-$(nproc)}" --target vivivi-host vivivi_plugin varno-sim
bash "$root/tools/install.sh" --build "$build"

# The host finds the installed bundle by its name in its plug-in folder.
bundle="VivivI.bundle"
host="$build/host/vivivi-host"
work="$build/run-editor"
mkdir -p "$work"

# Everything started here is stopped again, by its process id.
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[$i]}" 2>/dev/null || true
    wait "${pids[$i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# MIDI: ALSA sequencer ports where the sequencer exists, else JACK.
api="${VIVIVI_MIDI_API:-}"
if [ "$api" != alsa ] && [ "$api" != jack ]; then
  if [ -e /dev/snd/seq ]; then api=alsa; else api=jack; fi
fi
export VIVIVI_MIDI_API="$api"
if [ "$api" = jack ] && ! jack_lsp >/dev/null 2>&1; then
  echo "run-editor: starting a JACK server (dummy back end)"
  jackd -S --no-realtime -d dummy -r 48000 -p 128 >"$work/jackd.log" 2>&1 &
  pids+=($!)
  jack_wait -w -t 10 >/dev/null
fi

# The simulated Varno, until this script ends.
"$build/tools/varno-sim/varno-sim" --no-stdin --client varno-sim --in-port "Varno In" \
  --out-port "Varno Out" >"$work/varno-sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  grep -q '^ready' "$work/varno-sim.log" 2>/dev/null && break
  sleep 0.1
done
if ! grep -q '^ready' "$work/varno-sim.log"; then
  echo "run-editor: the simulated Varno did not start:" >&2
  cat "$work/varno-sim.log" >&2
  exit 1
fi
echo "run-editor: the simulated Varno listens on \"Varno In\" and sends on \"Varno Out\" ($api)"

if [ $# -gt 0 ]; then
  "$host" --play --tempo 120 "$bundle" "$@"
  exit $?
fi

# The editor's input is the Varno's output and the other way round; the
# input is chosen first so that the answer to the enquiry sent when the
# output opens finds it open.
ports=$'set-param-text 166 Varno Out\nset-param-text 165 Varno In\n'
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  printf '%squit\n' "$ports" | "$host" --tempo 120 "$bundle" open-editor window editor-commands run-editor 0
else
  before="$work/editor-before.png"
  after="$work/editor-after.png"
  librarian="$work/editor-librarian.png"
  # REQUEST (the header's button) asks the Varno for its sound; the waits
  # let the start-up enquiry and the answer finish. LIBRARIAN then shows the
  # library's banks.
  printf '%swait 3000\npng %s\nclick 1356 16\nwait 3000\npng %s\nclick 36 66\nwait 500\npng %s\nquit\n' \
    "$ports" "$before" "$after" "$librarian" |
    VIVIVI_VIEW=headless "$host" --tempo 120 "$bundle" open-editor window editor-commands
  echo "no display: the editor's window before the sound request is in $before"
  echo "            and after it (showing the simulated Varno's sound) in $after;"
  echo "            its librarian page (the library's banks) is in $librarian"
fi
