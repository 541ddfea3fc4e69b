#!/usr/bin/env bash
# Installs the Debian packages that the build, the editor and the tests need.
# Idempotent and quiet when everything is already there.
#   tools/setup-debian.sh [--fuzz] [--dry-run]
#     --fuzz     also what the fuzz targets need (clang and its runtime)
#     --dry-run  print the commands that would install what is missing, one
#                a line, and run none of them
# As root apt-get runs directly, otherwise through sudo. VIVIVI_SETUP_UID
# stands in for the user id (tests use it to take either road).
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  libpoco-dev libtinyxml2-dev librtmidi-dev
  libpng-dev zlib1g-dev libpng-tools
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-dejavu-extra  # extra: the condensed face of the logo
  libx11-dev xvfb x11-utils imagemagick
  libgl-dev libglx-dev libglx-mesa0 libgl1-mesa-dri  # GL views of the windowing layer (GLX, software drawing)
  jackd2 libjack-jackd2-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev  # pixman: benchmark yardstick only
  python3-mido
)

dry_run=0
for argument in "$@"; do
  case "$argument" in
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --dry-run) dry_run=1 ;;
    *)
      echo "setup: unknown option $argument (use --fuzz, --dry-run)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

# As root apt-get runs directly; otherwise through sudo, keeping the
# environment so that the package scripts stay non-interactive.
apt=(apt-get)
if [ "${VIVIVI_SETUP_UID:-$(id -u)}" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: missing ${missing[*]}; installing them needs root: run this as root or install sudo" >&2
    exit 1
  fi
  apt=(sudo -E apt-get)
fi
export DEBIAN_FRONTEND=noninteractive
# Runs a command, or with --dry-run prints it (to the script's own output,
# which the quiet install below does not silence).
exec 3>&1
run() {
  if [ "$dry_run" -eq 1 ]; then echo "$*" >&3; else "$@"; fi
}
[ "$dry_run" -eq 1 ] || echo "setup: installing ${missing[*]}"
run "${apt[@]}" update -qq
run "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
