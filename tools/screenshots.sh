#!/usr/bin/env bash
# Takes PNG screenshots of every page and overlay of the editor's window at
# the three window sizes (scale 0.75, 1.0 and 1.25) through the host program,
# into docs/screenshots/ (or the folder given as the first argument).
#
#   bash tools/screenshots.sh [OUTPUT_FOLDER]
#
# Installs what is missing, builds the release tree (or uses the tree named by
# VIVIVI_BUILD_DIR), starts an Xvfb display when there is no DISPLAY and a
# JACK server of its own (dummy back end) for the one picture that needs a
# MIDI port, and stops both again. Each picture is taken by a fresh editor
# with a data folder of its own, seeded by the install step (tools/install.sh,
# whose factory library fills the librarian): the settings file chooses the
# window size and the first-run note, and the host sets the parameters that
# show the page or overlay before it writes the window as a PNG.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/docs/screenshots}" && cd "${1:-$root/docs/screenshots}" && pwd)
bash "$root/tools/setup-debian.sh"

build="${VIVIVI_BUILD_DIR:-$root/build/release}"
if [ -z "${VIVIVI_BUILD_DIR:-}" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"${JOBS:-$(nproc)}" --target vivivi-host vivivi_plugin varno-sim
host="$build/host/vivivi-host"
bundle="$build/VivivI.bundle"
sim="$build/tools/varno-sim/varno-sim"

work=$(mktemp -d "${TMPDIR:-/tmp}/vivivi-shots-XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own when there is none.
if [ -z "${DISPLAY:-}" ]; then
  display=99
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  export DISPLAY=":$display"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

# A JACK server of our own, so that the editor's port list holds only the
# simulated Varno's ports.
export JACK_DEFAULT_SERVER="vivivi-shots-$$"
export JACK_NO_START_SERVER=1
export VIVIVI_MIDI_API=jack
jackd -n "$JACK_DEFAULT_SERVER" -S --no-realtime -d dummy -r 48000 -p 128 >"$work/jackd.log" 2>&1 &
pids+=($!)
jack_wait -w -t 10 >/dev/null

sizes=(small normal large)
labels=(075 100 125)

# shot NAME FIRST_RUN [host actions after the editor opened ...]
# FIRST_RUN "no" shows the first-run note (the settings file's third line).
shot() {
  local name=$1 firstRun=$2
  shift 2
  for i in 0 1 2; do
    local data="$work/data-$name-${labels[$i]}"
    # A freshly installed data folder (the factory library fills the
    # librarian), whose settings file then chooses the size and the note.
    VIVIVI_DATA_DIR="$data" bash "$root/tools/install.sh" --build "$build" --data-only >/dev/null
    printf 'normal\n%s\n%s\n\n' "${sizes[$i]}" "$firstRun" >"$data/VivivI Editor UI.txt"
    local file="$out/$name-${labels[$i]}.png"
    VIVIVI_DATA_DIR="$data" "$host" "$bundle" open-editor window "$@" run-editor 0.4 editor-png "$file" \
      >"$work/$name-${labels[$i]}.log" 2>&1 || {
      echo "screenshots: $name at ${sizes[$i]} failed:" >&2
      cat "$work/$name-${labels[$i]}.log" >&2
      return 1
    }
    echo "wrote $file"
  done
}

# Parameter numbers (src/VivivI.h).
kMainTab=194 kEditPage2Switch=153 kArpSyncIndicator=155 kOscillator2Shape=7 kOscillator2Sync=38
kBankEditUnsaved=122 kCategorySelection=141 kPatchSearch=160 kViewMIDIFilterSettings=161
kDisplayAboutWindow=162 kDeviceOutSelection=165 kLibSyncTimer=81 kRequestTempData=192 kLibLowerNextBank=120
kGlobalSettings=196

# The sound editor: both halves of its lower left area, and the oscillator
# indicators (sync and cross-modulation) lit.
shot editor-envelopes yes
shot editor-arpeggiator yes set-param $kEditPage2Switch 1
shot editor-arpeggiator-clock-sync yes set-param $kArpSyncIndicator 1 set-param $kEditPage2Switch 1
shot editor-indicators yes set-param $kOscillator2Sync 1 set-param $kOscillator2Shape 3 \
  set-param $kMainTab 1 set-param $kMainTab 2
# The librarian: its page (with the category limit and the save button) with
# the first bank edited and the second as the source, the discard button of
# an edited bank, the category list and the search field.
shot librarian yes set-param $kMainTab 1 set-param $kLibLowerNextBank 1
shot librarian-unsaved yes set-param $kBankEditUnsaved 1 set-param $kMainTab 1
shot librarian-categories yes set-param $kMainTab 1 set-param $kCategorySelection 1
shot librarian-search yes set-param $kMainTab 1 set-param $kPatchSearch 1
# The overlays.
shot about yes set-param $kDisplayAboutWindow 1
shot first-run no
shot midi-filters yes set-param $kViewMIDIFilterSettings 1
shot global-settings yes set-param $kGlobalSettings 1

# The rename overlay: the edited bank's fifth slot right-clicked and Rename
# chosen through the host's editor commands, its field open with the name
# selected. The slot's centre at each size.
rename_points=("49 127" "66 169" "83 211")
for i in 0 1 2; do
  data="$work/data-rename-${labels[$i]}"
  VIVIVI_DATA_DIR="$data" bash "$root/tools/install.sh" --build "$build" --data-only >/dev/null
  printf 'normal\n%s\nyes\n\n' "${sizes[$i]}" >"$data/VivivI Editor UI.txt"
  file="$out/rename-${labels[$i]}.png"
  printf 'right-click %s\nmenu Rename\nwait 400\npng %s\nquit\n' "${rename_points[$i]}" "$file" |
    VIVIVI_DATA_DIR="$data" "$host" "$bundle" open-editor window set-param $kMainTab 1 editor-commands \
      >"$work/rename-${labels[$i]}.log" 2>&1 || {
    echo "screenshots: rename at ${sizes[$i]} failed:" >&2
    cat "$work/rename-${labels[$i]}.log" >&2
    exit 1
  }
  echo "wrote $file"
done

# The processing overlay stands while a request waits for its answer: a
# simulated Varno that never answers, on the editor's output.
"$sim" --api jack --answer never --no-stdin >"$work/varno-sim.log" 2>&1 &
sim_pid=$!
pids+=($sim_pid)
for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q "Varno In" && break; sleep 0.1; done
shot processing yes set-param $kLibSyncTimer 3 set-param $kDeviceOutSelection 1 set-param $kRequestTempData 1
