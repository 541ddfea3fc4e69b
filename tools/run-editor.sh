#!/usr/bin/env bash
# Installs what is missing, builds the release tree and runs the plug-in in
# the host program on its default setup: open, initialise, report the
# component's version and properties, render two seconds on the real-time
# clock with the transport playing, save the project state and restore it
# into a fresh instance. Arguments replace the default actions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-debian.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target vivivi-host autest_plugin

bundle="$build/tests/au/AUTest.bundle"
state="$build/editor-state.plist"
if [ $# -eq 0 ]; then
  set -- version properties render 188 save-state "$state" reopen restore-state "$state"
fi
exec "$build/host/vivivi-host" --play --tempo 120 "$bundle" "$@"
