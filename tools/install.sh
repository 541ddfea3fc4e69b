#!/usr/bin/env bash
# Installs the editor where the host program finds it and seeds the editor's
# data folder once.
#
#   bash tools/install.sh [--build DIR] [--data-only]
#
# Without --build it installs the Debian packages that are missing and builds
# the release tree (build/release); with --build it takes the VivivI.bundle
# built in DIR. VIVIVI_JOBS sets the build's parallel jobs.
#
# 1. VivivI.bundle goes into the host's plug-in folder: the first folder of
#    $VIVIVI_PLUGIN_PATH, else ~/.local/lib/vivivi-host/plug-ins (the host
#    program looks there for a bundle given by name). An earlier copy of the
#    bundle is replaced. --data-only leaves this step out.
# 2. The data folder ($VIVIVI_DATA_DIR, else $XDG_DATA_HOME or
#    ~/.local/share, followed by "Harrow Creek Sound/Tarnwel VivivI Editor")
#    gets what it lacks of:
#    - the settings file "VivivI Editor UI.txt": colour "normal", size
#      "normal", first run "no" (the editor shows its welcome note);
#    - the library folder "Patches", holding the factory library in
#      "Patches/Factory": only when there is no "Patches" folder at all, so
#      a library the user has, even one the user emptied, stays as it is;
#    - the folder "Converted Banks", where the library moves files it has
#      rewritten.
#    Nothing there is ever overwritten or removed: running this again
#    changes nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build=""
data_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build)
      [ $# -ge 2 ] || { echo "install: --build needs a folder" >&2; exit 2; }
      build=$2
      shift 2
      ;;
    --data-only)
      data_only=1
      shift
      ;;
    *)
      echo "install: unknown option $1 (use --build DIR, --data-only)" >&2
      exit 2
      ;;
  esac
done

if [ -z "$build" ]; then
  bash "$root/tools/setup-debian.sh"
  build="$root/build/release"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j"${VIVIVI_JOBS:-$(nproc)}" --target vivivi_plugin
fi
bundle="$build/VivivI.bundle"
factory="$bundle/Resources/Factory Library"
if [ ! -f "$bundle/Info.plist" ] || [ ! -d "$factory" ]; then
  echo "install: no built VivivI.bundle with its factory library in $build" >&2
  exit 1
fi

# ---- The bundle, in the host's plug-in folder --------------------------------
if [ "$data_only" -eq 0 ]; then
  plugins="${VIVIVI_PLUGIN_PATH:-}"
  plugins="${plugins%%:*}"
  [ -n "$plugins" ] || plugins="$HOME/.local/lib/vivivi-host/plug-ins"
  mkdir -p "$plugins"
  # Copied beside the old one first, so that the bundle is never half there.
  fresh=$(mktemp -d "$plugins/.VivivI.bundle.new.XXXXXX")
  cp -R "$bundle/." "$fresh/"
  chmod 755 "$fresh"
  if [ -e "$plugins/VivivI.bundle" ]; then
    old=$(mktemp -d "$plugins/.VivivI.bundle.old.XXXXXX")
    mv -T "$plugins/VivivI.bundle" "$old/VivivI.bundle"
    mv -T "$fresh" "$plugins/VivivI.bundle"
    rm -rf "$old"
  else
    mv -T "$fresh" "$plugins/VivivI.bundle"
  fi
  echo "install: VivivI.bundle installed in $plugins"
fi

# ---- The data folder ------------------------------------------------------------
if [ -n "${VIVIVI_DATA_DIR:-}" ]; then
  data="${VIVIVI_DATA_DIR%/}"
else
  base="${XDG_DATA_HOME:-}"
  # A relative $XDG_DATA_HOME is invalid and ignored, as the editor does.
  [ "${base:0:1}" = / ] || base="$HOME/.local/share"
  data="$base/Harrow Creek Sound/Tarnwel VivivI Editor"
fi
if [ -e "$data" ] && [ ! -d "$data" ]; then
  echo "install: the data folder \"$data\" is a file; move it away and install again" >&2
  exit 1
fi
mkdir -p "$data"
made=()

# The settings file as the editor writes it: five lines, no line feed after
# the last. noclobber: a file that appeared meanwhile is not overwritten.
settings="$data/VivivI Editor UI.txt"
if [ ! -e "$settings" ]; then
  if (set -o noclobber && printf 'normal\nnormal\nno\n\n' >"$settings") 2>/dev/null; then
    made+=("the settings file")
  elif [ ! -e "$settings" ]; then
    echo "install: cannot write \"$settings\"" >&2
    exit 1
  fi
fi

# The factory library, put together beside the library folder and moved into
# place whole; never onto a "Patches" that exists.
patches="$data/Patches"
if [ ! -e "$patches" ] && [ ! -L "$patches" ]; then
  staged=$(mktemp -d "$data/.Patches.new.XXXXXX")
  cp -R "$factory/." "$staged/"
  chmod 755 "$staged"
  mv -n -T "$staged" "$patches" 2>/dev/null || true
  if [ -e "$staged" ]; then
    rm -rf "$staged"
  else
    made+=("the factory library")
  fi
fi

if [ ! -d "$data/Converted Banks" ]; then
  mkdir "$data/Converted Banks"
  made+=("the folder \"Converted Banks\"")
fi

if [ ${#made[@]} -eq 0 ]; then
  echo "install: the data folder $data has everything; nothing changed there"
else
  list=$(printf '%s, ' "${made[@]}")
  echo "install: the data folder $data now holds ${list%, }"
fi
