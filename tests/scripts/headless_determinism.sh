#!/bin/sh
# Two headless runs of 600 frames from the title with the same arguments print identical traces,
# and drawing every frame does not change the state of play.
set -e
GAME_DIR="$1"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
run() {
  d="$WORK/$1"; shift
  mkdir -p "$d"
  for f in img se bgm rndtbl.dat; do ln -s "$GAME_DIR/$f" "$d/$f"; done
  for f in "$GAME_DIR"/st*.txt; do ln -s "$f" "$d/"; done
  "$GAME_DIR/wexla-headless" --dir "$d" --frames 600 --trace 10 "$@" > "$WORK/$(basename "$d").trace"
}
printf '1 -\n100 Down\n130 -\n200 Z\n210 -\n' > "$WORK/keys.txt"
run a --keys "$WORK/keys.txt"
run b --keys "$WORK/keys.txt"
run c --keys "$WORK/keys.txt" --draw-all
test "$(wc -l < "$WORK/a.trace")" -eq 60 || { echo "expected 60 trace lines"; cat "$WORK/a.trace"; exit 1; }
cmp "$WORK/a.trace" "$WORK/b.trace" || { echo "two runs differ"; diff "$WORK/a.trace" "$WORK/b.trace" | head; exit 1; }
cmp "$WORK/a.trace" "$WORK/c.trace" || { echo "drawing changed the state of play"; diff "$WORK/a.trace" "$WORK/c.trace" | head; exit 1; }
echo "identical traces"
