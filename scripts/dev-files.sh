#!/usr/bin/env bash
# The intro compiles against SDL2, libopenmpt, libpng (with zlib) and Xlib,
# the capture tool also against libdeflate; of their development packages
# the build needs only the headers, the CMake and pkg-config files and the
# link names (libSDL2.so ...). Installing the -dev
# packages would bring their whole closure too (the X11, Wayland, OpenGL,
# PulseAudio ... development files, over a hundred packages). So, when they
# are not installed, this fetches them with `apt-get download`, each at the
# version of its installed runtime library, and unpacks them into DIR: the
# link names are pointed at the installed libraries, the pkg-config files at
# DIR. Nothing is installed, dpkg and apt's state are untouched.
# Prints DIR/usr (for CMAKE_PREFIX_PATH), or nothing when the system has all
# the -dev packages and DIR was never made. A second run with the same
# versions does nothing.
# usage: dev-files.sh DIR
set -euo pipefail
dir=$(realpath -m "$1")
# Each development package with the runtime package of the same build ("-":
# headers only, any version).
pairs=(
  libsdl2-dev:libsdl2-2.0-0 libopenmpt-dev:libopenmpt0 libpng-dev:libpng16-16
  zlib1g-dev:zlib1g libdeflate-dev:libdeflate0 libx11-dev:libx11-6 x11proto-dev:-
)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

wanted=() missing=0
for pair in "${pairs[@]}"; do
  dev=${pair%%:*} runtime=${pair#*:}
  installed "$dev" || missing=1
  if [ "$runtime" = - ]; then wanted+=("$dev")
  else
    installed "$runtime" || { echo "dev-files.sh: $runtime is not installed (scripts/deps.sh intro)" >&2; exit 1; }
    wanted+=("$dev=$(dpkg-query -W -f='${Version}' "$runtime")")
  fi
done
# A build directory configured with these files keeps them (CMake remembers
# where it found each library), kept at the installed libraries' versions.
((missing)) || [ -e "$dir/versions" ] || exit 0
if [ "$(cat "$dir/versions" 2>/dev/null)" = "${wanted[*]}" ]; then echo "$dir/usr"; exit 0; fi

debs=$(mktemp -d)
trap 'rm -rf "$debs"' EXIT
# As root, apt downloads as its own user (_apt), who must be able to write here.
if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then chown _apt "$debs"; fi
# Only the directory goes to stdout.
download() { (cd "$debs" && apt-get download -qq "${wanted[@]}" >&2); }
if ! download; then
  # Package lists older than the installed libraries: fetch them once.
  [ "$(id -u)" -eq 0 ] || { echo "dev-files.sh: cannot download ${wanted[*]}; try apt-get update as root" >&2; exit 1; }
  apt-get update -qq >&2 && download
fi
rm -rf "$dir"
mkdir -p "$dir"
for deb in "$debs"/*.deb; do dpkg-deb -x "$deb" "$dir"; done
# Headers that differ between architectures are under include/<triplet>/,
# which the compiler searches only in /usr: here there is one architecture.
for arch_headers in "$dir"/usr/include/*-linux-*/; do
  if [ -d "$arch_headers" ]; then cp -a -n "$arch_headers." "$dir/usr/include/"; fi
done

# A link name whose target is not among the unpacked files points at the
# installed library of that name (libSDL2.so -> libSDL2-2.0.so.0.2600.5).
while IFS= read -r link; do
  target=$(readlink "$link")
  case $target in /*) continue ;; esac
  here=$(dirname "$link")
  [ -e "$here/$target" ] || [ -L "$here/$target" ] || ln -sfn "${here#"$dir"}/$target" "$link"
done < <(find "$dir/usr/lib" -type l)
while IFS= read -r link; do
  [ -e "$link" ] || { echo "dev-files.sh: $link points at nothing installed ($(readlink "$link"))" >&2; exit 1; }
done < <(find "$dir/usr/lib" -type l)
# The pkg-config files name this directory; the libraries they would need
# only to link statically (Requires.private) are left out.
while IFS= read -r pc; do
  sed -i "s|^prefix=/usr\$|prefix=$dir/usr|; /^Requires.private:/d" "$pc"
done < <(find "$dir/usr" -name '*.pc')
echo "${wanted[*]}" >"$dir/versions"
echo "$dir/usr"
