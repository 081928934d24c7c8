#!/usr/bin/env bash
# The first run as a new user makes it: a fresh clone of this repository, then
# scripts/run-intro.sh without a display, timed until the capture is written.
# Here, with the packages this machine already has; or, with
# CORVANE_FRESH_ROOT=DIR (as root), on a fresh Debian 12 root such as
#   debootstrap --variant=minbase bookworm DIR http://deb.debian.org/debian
# with apt fetching from the network. DIR itself is left untouched: the run
# writes into an overlay over it, mounted in a mount namespace of its own
# (nothing stays mounted), and thrown away at the end.
# Usage: [CORVANE_FRESH_ROOT=DIR] scripts/measure-first-run.sh [REPOSITORY (default: this one)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source=${1:-$root}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }
steps() { echo $(($(wc -l <"$1/.ninja_log") - 1)); }

if [ -z "${CORVANE_FRESH_ROOT:-}" ]; then
  start=$(now)
  git clone -q --no-hardlinks "$source" "$work/corvane"
  cloned=$(now)
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$work/corvane/scripts/run-intro.sh" >"$work/run.log" 2>&1) ||
    { cat "$work/run.log"; exit 1; }
  done_at=$(now)
  test -s "$work/corvane-capture/frame-000400.png"
  echo "clone $(seconds "$start" "$cloned") s, build and capture $(seconds "$cloned" "$done_at") s," \
    "in all $(seconds "$start" "$done_at") s ($(steps "$work/corvane/build-intro") build steps, $(nproc) cores)"
  exit 0
fi

[ "$(id -u)" -eq 0 ] || { echo "CORVANE_FRESH_ROOT needs root (to mount and chroot)" >&2; exit 1; }
lower=$(realpath "$CORVANE_FRESH_ROOT")
[ -x "$lower/usr/bin/apt-get" ] || { echo "$lower is not a Debian root" >&2; exit 1; }
mkdir -p "$work/upper" "$work/scratch" "$work/root"
cat >"$work/inside.sh" <<'INSIDE'
set -euo pipefail
work=$1 lower=$2 source=$3
mount -t overlay overlay -o "lowerdir=$lower,upperdir=$work/upper,workdir=$work/scratch" "$work/root"
mount --rbind /dev "$work/root/dev"
mount -t proc proc "$work/root/proc"
mount -t tmpfs tmpfs "$work/root/tmp"
cp /etc/resolv.conf "$work/root/etc/resolv.conf"
# As a new user's root shell on that system: no display, no variables of ours.
in_root() {
  chroot "$work/root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/bash -c "cd /root && $1"
}
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }
before=$(in_root "dpkg-query -W | wc -l")
archives=$work/root/var/cache/apt/archives
ls "$archives" >"$work/cached"  # a fresh root may hold its own system's packages there
start=$(now)
git clone -q --no-hardlinks "$source" "$work/root/root/corvane"
cloned=$(now)
# What scripts/run-intro.sh does first, on its own to time the packages.
in_root "corvane/scripts/deps.sh intro" >"$work/run.log" 2>&1 || { cat "$work/run.log"; exit 1; }
installed=$(now)
in_root "corvane/scripts/run-intro.sh" >>"$work/run.log" 2>&1 || { cat "$work/run.log"; exit 1; }
done_at=$(now)
test -s "$work/root/root/corvane-capture/frame-000400.png"
# And again, as the user who runs it a second time: nothing to install or build.
in_root "corvane/scripts/run-intro.sh" >>"$work/run.log" 2>&1 || { cat "$work/run.log"; exit 1; }
again=$(now)
after=$(in_root "dpkg-query -W | wc -l")
megabytes=$(cd "$archives" && ls | grep '\.deb$' | grep -vxF -f "$work/cached" | xargs -r stat -c %s |
  awk '{ n += $1 } END { printf "%.0f", n / 1e6 }')
steps=$(($(wc -l <"$work/root/root/corvane/build-intro/.ninja_log") - 1))
echo "clone $(seconds "$start" "$cloned") s, packages $(seconds "$cloned" "$installed") s" \
  "($((after - before)) installed, $megabytes MB fetched), build and capture $(seconds "$installed" "$done_at") s" \
  "($steps build steps), in all $(seconds "$start" "$done_at") s ($(nproc) cores);" \
  "a second run $(seconds "$done_at" "$again") s"
INSIDE
unshare --mount --propagation private bash "$work/inside.sh" "$work" "$lower" "$source"
