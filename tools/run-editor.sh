#!/usr/bin/env bash
# Installs what is missing, builds the release tree and runs the editor in the
# host program on its default setup.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-debian.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVIVIVI_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
exec "$build/tools/vivivi-version" "$@"
