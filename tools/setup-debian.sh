#!/usr/bin/env bash
# Installs the Debian packages that the build, the editor and the tests need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  libpoco-dev libtinyxml2-dev librtmidi-dev
  libpng-dev zlib1g-dev libpng-tools
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libx11-dev xvfb x11-utils imagemagick
  jackd2 libjack-jackd2-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  python3-mido
)
# The fuzz targets need clang and its runtime: tools/setup-debian.sh --fuzz
if [ "${1:-}" = "--fuzz" ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
# As root apt-get runs directly; otherwise through sudo, keeping the environment
# so that the package scripts stay non-interactive.
apt=(apt-get)
if [ "$(id -u)" -ne 0 ]; then apt=(sudo -E apt-get); fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
