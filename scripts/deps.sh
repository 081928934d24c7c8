#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if any is missing.
# With the argument "intro", only those that building the intro and the
# capture tool needs (scripts/run-intro.sh): the tools and the runtime
# libraries, whose headers scripts/dev-files.sh then fetches on their own.
set -euo pipefail
packages=(
  cmake g++ ninja-build pkg-config
)
if [ "${1:-}" = intro ]; then
  packages+=(libsdl2-2.0-0 libopenmpt0 libpng16-16 libdeflate0 libx11-6)
else
  packages+=(
  libsdl2-dev libopenmpt-dev libpng-dev libdeflate-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang
  xvfb xauth xdotool x11-utils openbox imagemagick sox
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  dpkg-dev
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing; run as root (or with sudo) to install them." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
