#!/bin/sh
# The headless driver runs at any start clock, the top of the range included, and SIGTERM and
# SIGINT end it at once, leaving the files it wrote whole.
GAME_DIR="$1"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "$*"; exit 1; }
D="$WORK/game"
mkdir -p "$D"
for f in img se bgm rndtbl.dat; do ln -s "$GAME_DIR/$f" "$D/$f"; done
for f in "$GAME_DIR"/st*.txt; do ln -s "$f" "$D/"; done
# Z on the title starts a game, so the settings are written again while it runs.
printf '1 -\n30 Z\n31 -\n' > "$WORK/keys.txt"

for clock in 0 71582787 71582788 4294967000 4294967295; do
  out=$(timeout -s KILL 60 "$GAME_DIR/wexla-headless" --dir "$D" --keys "$WORK/keys.txt" --frames 600 --trace 600 \
        --clock "$clock" 2>"$WORK/err")
  rc=$?
  [ $rc -eq 0 ] || { cat "$WORK/err"; fail "--clock $clock: exit status $rc (137: it hung and was killed)"; }
  echo "$out" | grep -q '^run=600 ' || fail "--clock $clock: no trace of frame 600: $out"
done
for clock in 4294967296 -1; do
  timeout -s KILL 10 "$GAME_DIR/wexla-headless" --dir "$D" --frames 1 --clock "$clock" 2>/dev/null
  [ $? -eq 2 ] || fail "--clock $clock was accepted"
done

# 143 = 128 + SIGTERM, 130 = 128 + SIGINT: ended by the signal itself.
for sig in TERM:143 INT:130; do
  name=${sig%:*}; want=${sig#*:}
  rm -f "$D/config.dat" "$D/hiscore.dat"
  "$GAME_DIR/wexla-headless" --dir "$D" --keys "$WORK/keys.txt" --clock 4294967295 >/dev/null 2>&1 &
  pid=$!
  sleep 1
  kill -0 $pid 2>/dev/null || fail "SIG$name: the driver ended before the signal"
  kill -s "$name" $pid
  i=0
  while kill -0 $pid 2>/dev/null && [ $i -lt 20 ]; do sleep 0.1; i=$((i + 1)); done
  if kill -0 $pid 2>/dev/null; then kill -9 $pid; fail "SIG$name: the driver did not end"; fi
  wait $pid
  rc=$?
  [ $rc -eq "$want" ] || fail "SIG$name: exit status $rc, expected $want"
  [ "$(wc -c < "$D/config.dat")" -eq 1024 ] || fail "SIG$name: config.dat not whole"
  [ "$(wc -c < "$D/hiscore.dat")" -eq 17920 ] || fail "SIG$name: hiscore.dat not whole"
  ls "$D" | grep -q '\.tmp$' && fail "SIG$name: a temporary file was left"
done
echo "every clock runs; signals end the driver at once"
