#!/usr/bin/env bash
# The Debian package, end to end: `cpack -G DEB` in the build directory makes
# corvane_<version>_amd64.deb; it holds the programs, the desktop entry and
# the icon, and depends on every library they (and the player library the
# intro writes out) need. Then, in a throw-away root (an overlay over a
# Debian root, mounted in a mount namespace of its own, so that nothing
# reaches the real system and nothing is left mounted), `apt-get install
# ./corvane_*.deb` installs it, `corvane` is on the PATH and in the menu,
# `corvane --help` answers, the intro says it has no display, the capture
# tool records a few frames with their sound; `apt-get remove corvane`
# leaves no file of it behind.
#
# The Debian root is this machine's own root by default (its libraries are
# installed, and the throw-away root has no network: apt can fetch nothing). CORVANE_PACKAGE_ROOT=DIR uses
# DIR instead, e.g. a fresh Debian 12 made with
#   debootstrap --variant=minbase bookworm DIR http://deb.debian.org/debian
# and apt then fetches the dependencies from the network; `apt-get
# autoremove` takes them away again after the removal.
#
# usage: package_install.sh BUILD_DIR
set -u
build=$(realpath "$1")
fail() { echo "FAIL: $*"; [ -s "$work/log" ] && tail -30 "$work/log"; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }

[ "$(id -u)" = 0 ] || skip "needs root to mount the throw-away root"
for tool in cpack dpkg-deb dpkg-shlibdeps unshare chroot readelf; do
  command -v "$tool" >/dev/null || skip "needs $tool"
done
lower=${CORVANE_PACKAGE_ROOT:-/}
[ -x "$lower/usr/bin/apt-get" ] || fail "$lower is not a Debian root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/probe/upper" "$work/probe/scratch" "$work/probe/root"
unshare --mount --propagation private mount -t overlay overlay \
  -o "lowerdir=$lower,upperdir=$work/probe/upper,workdir=$work/probe/scratch" "$work/probe/root" 2>/dev/null ||
  skip "cannot mount an overlay here (a container without the right?)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

# --- Made: the name, the files, the dependencies.
(cd "$build" && cpack -G DEB -B "$work/deb") >"$work/log" 2>&1 || fail "cpack -G DEB failed"
deb=$work/deb/corvane_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(ls "$work/deb")"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort | tr '\n' ' ')
want="./usr/bin/corvane ./usr/bin/corvane-capture ./usr/bin/corvane-pack ./usr/share/applications/corvane.desktop ./usr/share/icons/hicolor/64x64/apps/corvane.png "
[ "$files" = "$want" ] || fail "the package holds '$files', not '$want'"
depends=$(dpkg-deb -f "$deb" Depends)
depended=$(tr ',' '\n' <<<"$depends" | sed 's/[(|].*//; s/ //g')  # the package names
dpkg-deb -x "$deb" "$work/unpacked"
# Each library a program or the player library loads belongs to a package
# the package depends on (the dynamic loader and libc come with libc6).
for elf in "$work/unpacked/usr/bin/corvane" "$work/unpacked/usr/bin/corvane-capture" "$work/unpacked/usr/bin/corvane-pack" \
           "$build/intro/payload/BassMod.DLL"; do
  [ -f "$elf" ] || fail "$elf is missing"
  for soname in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v lib="$soname" '$1 == lib && /x86-64/ {print $NF; exit}')
    [ -n "$path" ] || fail "$soname, needed by $(basename "$elf"), is not installed here"
    owner=$(dpkg -S "$(realpath "$path")" 2>/dev/null || dpkg -S "$path" 2>/dev/null)
    owner=${owner%%:*}
    [ -n "$owner" ] || fail "no package owns $path"
    grep -qxF "$owner" <<<"$depended" || fail "$(basename "$elf") needs $soname from $owner, not in Depends: $depends"
  done
done

# --- Installed, run and removed in the throw-away root.
mkdir -p "$work/upper" "$work/scratch" "$work/root"
cp "$deb" "$work/corvane.deb"
cat >"$work/inside.sh" <<'INSIDE'
set -eu
export DEBIAN_FRONTEND=noninteractive PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
cd /root
if [ -n "${FETCH:-}" ]; then apt-get update -qq; fi
apt-get install -y -q --no-install-recommends /tmp/corvane.deb
[ "$(command -v corvane)" = /usr/bin/corvane ] || { echo "corvane is not on the PATH"; exit 1; }
grep -qx 'Exec=corvane' /usr/share/applications/corvane.desktop
[ -s /usr/share/icons/hicolor/64x64/apps/corvane.png ]
corvane --help | grep -q -- '--fill'
code=0; env -u DISPLAY -u WAYLAND_DISPLAY corvane 2>/tmp/stderr || code=$?
[ "$code" = 1 ] && grep -q 'no display' /tmp/stderr || { echo "corvane without a display: $code"; cat /tmp/stderr; exit 1; }
corvane-capture --frames 100:103 --out /tmp/capture 2>/dev/null
[ "$(ls /tmp/capture | tr '\n' ' ')" = "frame-000100.png frame-000101.png frame-000102.png frame-000103.png music.wav " ]
# The packer finds the installed intro beside it.
printf 'CVNTYPER\r\n1\r\n"packed"\r\n' >/tmp/text.txt
corvane-pack --out /tmp/packed --text /tmp/text.txt
[ -x /tmp/packed ] && [ "$(stat -c %s /tmp/packed)" -gt "$(stat -c %s /usr/bin/corvane)" ]
apt-get remove -y -q corvane
# A fresh root had none of the libraries: they go with what pulled them in.
if [ -n "${FETCH:-}" ]; then apt-get autoremove -y -q; fi
! dpkg -s corvane >/dev/null 2>&1 || [ "$(dpkg-query -W -f='${Status}' corvane)" = "deinstall ok config-files" ]
echo "inside: installed, ran and removed"
INSIDE
# On this machine's root there is no network: nothing may need fetching.
fetch= offline=--net
[ "$lower" = / ] || { fetch=1; offline=; }
start=$(date +%s)
unshare --mount --propagation private $offline bash -c '
  set -e
  work=$1 lower=$2
  mount -t overlay overlay -o "lowerdir=$lower,upperdir=$work/upper,workdir=$work/scratch" "$work/root"
  mount --rbind /dev "$work/root/dev"
  mount -t proc proc "$work/root/proc"
  mount -t tmpfs tmpfs "$work/root/tmp"
  mount -t tmpfs tmpfs "$work/root/run"
  cp "$work/corvane.deb" "$work/root/tmp/corvane.deb"
  cp /etc/resolv.conf "$work/root/etc/resolv.conf" 2>/dev/null || true
  FETCH=$3 chroot "$work/root" /bin/bash /dev/stdin <"$work/inside.sh"
' inside "$work" "$lower" "$fetch" >"$work/log" 2>&1 || fail "in the throw-away root"
seconds=$(( $(date +%s) - start ))

# Nothing of the package is left: the only files the round trip changed
# under /usr are the caches the system rebuilds when any menu entry or icon
# comes or goes.
left=$(cd "$work/upper" && find usr opt etc/alternatives -mindepth 1 \( -type f -o -type l -o -type c \) 2>/dev/null |
       grep -v -e '^usr/share/icons/hicolor/icon-theme.cache$' -e '^usr/share/applications/mimeinfo.cache$' |
       tr '\n' ' ')
[ -z "$left" ] || fail "left behind after removal: $left"
[ ! -e "$work/upper/var/lib/dpkg/info/corvane.list" ] || fail "dpkg still lists corvane's files"
echo "PASS: $(basename "$deb") ($(stat -c %s "$deb") bytes) made; installed, run and removed in ${seconds} s; Depends: $depends"
