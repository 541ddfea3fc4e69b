#!/usr/bin/env bash
# Installs what is missing, builds the release tree and runs the editor's
# bundle in the host program on its default setup: open and initialise it,
# report its version, render on the real-time clock with the transport
# playing, save the project state, and open its editor: in an X window until
# it is closed when a display is there, else headless with a PNG of the
# window. Arguments replace the default actions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-debian.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target vivivi-host vivivi_plugin

bundle="$build/VivivI.bundle"
state="$build/editor-state.plist"
if [ $# -eq 0 ]; then
  set -- version render 94 save-state "$state" open-editor window
  if [ -n "${DISPLAY:-}" ]; then
    set -- "$@" run-editor 0
  else
    set -- "$@" editor-png "$build/editor.png"
    echo "no display: the editor's window is written to $build/editor.png"
  fi
fi
exec "$build/host/vivivi-host" --play --tempo 120 "$bundle" "$@"
