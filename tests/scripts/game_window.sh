#!/bin/sh
# Starts the real game under an X server of its own, waits for its window, closes it as a window
# manager would and expects a clean exit. Prints the game's standard error when anything fails.
#
# The display comes from Xvfb -displayfd: the server takes a free display number itself, so runs
# side by side never share a server (a shared one showed other games' windows, which vanished
# under the closer, and died under the game when its owner ended).
GAME_DIR="$1"; CLOSER="$2"
WORK=$(mktemp -d)
XVFB_PID=; GAME_PID=
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  echo "--- game standard error:"; cat "$WORK/game.err" 2>/dev/null
  echo "--- Xvfb:"; cat "$WORK/xvfb.log" 2>/dev/null
  exit 1
}

# The game's folder: its own copies of the small files, links to the data folders.
G="$WORK/game"
mkdir "$G"
for f in img se bgm; do ln -s "$GAME_DIR/$f" "$G/$f"; done
cp "$GAME_DIR/rndtbl.dat" "$GAME_DIR"/st*.txt "$G/" || fail "no game data in $GAME_DIR"
# A first headless run writes config.dat (windowed) so no start-up question waits for a click.
"$GAME_DIR/wexla-headless" --dir "$G" --frames 1 >/dev/null 2>"$WORK/game.err" || fail "headless run"
[ -s "$G/config.dat" ] || fail "no config.dat"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
i=0
until grep -q '^[0-9][0-9]*$' "$WORK/display" 2>/dev/null; do
  kill -0 "$XVFB_PID" 2>/dev/null || { XVFB_PID=; fail "Xvfb did not start"; }
  i=$((i + 1)); [ $i -le 300 ] || fail "Xvfb gave no display"
  sleep 0.1
done
DISPLAY=":$(cat "$WORK/display")"; export DISPLAY
unset WAYLAND_DISPLAY

(cd "$G" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec "$GAME_DIR/wexla") >"$WORK/game.out" 2>"$WORK/game.err" &
GAME_PID=$!
"$CLOSER" wexla 40 || fail "the window was not closed"
i=0
while kill -0 "$GAME_PID" 2>/dev/null; do
  i=$((i + 1)); [ $i -le 300 ] || fail "the game did not end after its window was closed"
  sleep 0.1
done
wait "$GAME_PID"; rc=$?; GAME_PID=
[ $rc -eq 0 ] || fail "the game ended with status $rc"
echo "game window opened and closed on display $DISPLAY"
