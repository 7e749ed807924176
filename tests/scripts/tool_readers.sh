#!/bin/sh
# The stage checker and the headless driver's key script take only regular files: a FIFO or a
# link to /dev/zero given in place of the file is refused at once, with the reason.
# Arguments: the check_stage program and the game folder.
set -e
CHECK=$1
GAME_DIR=$(cd "$2" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkfifo "$WORK/fifo"
ln -s /dev/zero "$WORK/zero"
fail() { echo "$1"; exit 1; }
for f in fifo zero; do
  if timeout 5 "$CHECK" "$WORK/$f" 2> "$WORK/err"; then fail "check_stage accepted $f"; fi
  [ "$(cat "$WORK/err")" = "$WORK/$f: not a regular file" ] || fail "check_stage on $f: $(cat "$WORK/err")"
  if timeout 5 "$GAME_DIR/wexla-headless" --dir "$WORK" --keys "$WORK/$f" --frames 1 > /dev/null 2> "$WORK/err"; then
    fail "wexla-headless accepted keys from $f"
  fi
  grep -q "cannot read $WORK/$f: not a regular file" "$WORK/err" || fail "wexla-headless on $f: $(cat "$WORK/err")"
done
echo "odd files refused"
