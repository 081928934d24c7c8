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
said=$(cat "$work/err")
# The files the user names are checked before a display is looked for: a bad
# one is one line naming it and why, status 2, and nothing shown or left.
echo "hello" >"$work/words.txt"
check() {  # expected status, text expected in the output, arguments...
  local want=$1 says=$2
  shift 2
  env -u WAYLAND_DISPLAY DISPLAY= timeout 10 "$intro" "$@" >"$work/out" 2>"$work/err"
  code=$?
  [ "$code" = "$want" ] && grep -qF -- "$says" "$work/out" "$work/err" ||
    { echo "FAIL: corvane $* gave $code and said:"; cat "$work/out" "$work/err"; exit 1; }
  [ "$want" = 0 ] || [ "$(wc -l <"$work/err")" = 1 ] || [ "$1" = --bogus ] ||
    { echo "FAIL: corvane $* said more than one line:"; cat "$work/err"; exit 1; }
  [ -z "$(ls -A "$work" | grep -v -e '^out$' -e '^err$' -e '^words.txt$')" ] || { echo "FAIL: files left"; exit 1; }
}
check 0 "--music FILE" --help
check 2 "unknown option '--bogus'" --bogus
check 2 "corvane: words.txt: not a music module the player can play" --music words.txt
check 2 "corvane: words.txt: not a BMP or PNG picture" --logo words.txt
check 2 "corvane: nothing.png: cannot be read (No such file or directory)" --font nothing.png
echo "PASS: $said"
