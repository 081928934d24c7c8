#!/usr/bin/env bash
# Builds the intro as a static web page into build-web/site/ (index.html, the
# script and the wasm). The module player's library is built for the page
# once from Debian's source into a cache outside the tree, keyed by its
# version, and rebuilt only when that cache is missing.
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_WEB_BUILD_DIR:-$root/build-web}
cache=${CORVANE_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/corvane}

# Debian's emscripten needs its JavaScript modules from the system's node
# path; Node 20's own fetch breaks the glue of configure-time test programs.
export NODE_PATH=/usr/share/nodejs
export NODE_OPTIONS=--no-experimental-fetch

install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing; run as root (or with sudo) to install them." >&2
    exit 1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The version of the player library the desktop build uses is the one built
# for the page, so that both render the same samples.
libopenmpt_version() {
  dpkg-query -W -f='${Version}' libopenmpt-dev | sed 's/-[^-]*$//'
}

# apt-get source with a sources list of our own: the machine's apt
# configuration is left as it is.
fetch_libopenmpt_source() {
  local dir=$1 apt=$1/apt
  mkdir -p "$apt/lists/partial" "$apt/archives/partial"
  cat > "$apt/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
SOURCES
  local opts=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
              -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt" -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq &&
    (cd "$dir" && apt-get "${opts[@]}" source -qq --download-only "libopenmpt=$(dpkg-query -W -f='${Version}' libopenmpt-dev)") &&
    (cd "$dir" && dpkg-source -x --skip-patches libopenmpt_*.dsc src)
}

build_libopenmpt() {
  local version prefix work
  version=$(libopenmpt_version)
  prefix=$cache/libopenmpt-wasm-$version
  if [ -f "$prefix/lib/libopenmpt.a" ]; then
    echo "$prefix"; return 0
  fi
  work=$(mktemp -d "$cache/libopenmpt-build.XXXXXX")
  echo "Building libopenmpt $version for the page (a few minutes, once; log in $work/build.log)" >&2
  # (dpkg-source cannot check the uploader's signature without their key; apt
  # has checked the files against the archive's signed index.)
  if ! (
    fetch_libopenmpt_source "$work" &&
    cd "$work/src" &&
    # Exceptions on: the library reports unreadable modules by throwing, and
    # the page catches them like the desktop does. No debug information.
    CXXFLAGS="-O2 -fexceptions" CFLAGS="-O2" emconfigure ./configure --host=wasm32 --prefix="$prefix.partial" \
      --disable-shared --enable-static --disable-openmpt123 --disable-examples --disable-tests \
      --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg --without-vorbis \
      --without-vorbisfile --without-portaudio --without-portaudiocpp --without-pulseaudio \
      --without-sndfile --without-flac &&
      emmake make -j"$(nproc)" &&
      emmake make install
  ) >>"$work/build.log" 2>&1; then
    tail -n 30 "$work/build.log" >&2
    echo "libopenmpt could not be built for the page (log: $work/build.log)" >&2
    exit 1
  fi
  rm -rf "$prefix" && mv "$prefix.partial" "$prefix" && rm -rf "$work"
  echo "$prefix"
}

mkdir -p "$cache"
install_packages emscripten chromium python3 dpkg-dev
# npm comes with Node.js from some sources; Debian has it as a package.
command -v npm >/dev/null || install_packages npm
libopenmpt_prefix=$(build_libopenmpt)
[ "${1:-}" = "--libopenmpt-only" ] && exit 0

# The programs that run at build time, and the capture tool the browser
# tests compare with (and corvane-pack and the module maker they pack a site
# with), come from the native build.
host=${CORVANE_BUILD_DIR:-$root/build}
"$root/scripts/deps.sh"
if [ ! -f "$host/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$host" --target corvane-embed corvane_art_blocks corvane_module corvane-capture corvane-pack \
  corvane-modgen

emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCORVANE_HOST_BUILD_DIR="$host" -DCORVANE_LIBOPENMPT_PREFIX="$libopenmpt_prefix" >/dev/null
cmake --build "$build" --target corvane

site=$build/site
rm -rf "$site.partial" && mkdir -p "$site.partial"
cp "$build/corvane.js" "$build/corvane.wasm" "$root"/platform/web/page/* "$site.partial/"
rm -rf "$site" && mv "$site.partial" "$site"
size=$(tar -C "$site" -cf - . | gzip -9 | wc -c)
echo "Site: $site ($(du -sb "$site" | cut -f1) bytes, $size bytes with gzip)"
