#!/bin/sh
# The benchmark stopped by SIGTERM while it runs ends with that signal's status and leaves
# nothing behind: no copy of the game folder in its TMPDIR, none of its programs running, the
# game folder as it was.
GAME_DIR="$1"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "$*"; exit 1; }
mkdir "$WORK/tmp"
before=$(ls -A "$GAME_DIR")
TMPDIR="$WORK/tmp" "$GAME_DIR/wexla-bench" --quick >"$WORK/out" 2>&1 &
pid=$!
i=0
until [ -n "$(ls -A "$WORK/tmp")" ]; do
  kill -0 $pid 2>/dev/null || fail "the benchmark ended before it was stopped: $(cat "$WORK/out")"
  i=$((i + 1)); [ $i -le 600 ] || fail "no copy of the game folder was made"
  sleep 0.05
done
sleep 0.5
kill -TERM $pid
wait $pid
rc=$?
[ $rc -eq 143 ] || fail "exit status $rc, expected 143 (SIGTERM): $(cat "$WORK/out")"
[ -z "$(ls -A "$WORK/tmp")" ] || fail "left behind: $(ls -A "$WORK/tmp")"
ps -eo args | grep -F "$WORK/tmp/" | grep -v grep && fail "programs of the benchmark still run"
[ "$(ls -A "$GAME_DIR")" = "$before" ] || fail "the game folder changed: $(ls -A "$GAME_DIR")"
echo "stopped, nothing left behind"
