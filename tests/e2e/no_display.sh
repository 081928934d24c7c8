#!/usr/bin/env bash
# Without a display the intro says so in one line on stderr and exits non-zero,
# writing nothing into its directory.
set -u
intro=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for display in "" ":1999"; do
  env -u WAYLAND_DISPLAY DISPLAY="$display" timeout 10 "$intro" >"$work/out" 2>"$work/err"
  code=$?
  [ "$code" -ne 0 ] && [ "$code" -ne 124 ] || { echo "FAIL: DISPLAY='$display' gave exit code $code"; exit 1; }
  lines=$(wc -l <"$work/err")
  [ "$lines" = 1 ] && grep -q "no display" "$work/err" ||
    { echo "FAIL: DISPLAY='$display' said:"; cat "$work/err"; exit 1; }
  [ -z "$(ls -A "$work" | grep -v -e '^out$' -e '^err$')" ] || { echo "FAIL: files left"; exit 1; }
done
echo "PASS: $(cat "$work/err")"
