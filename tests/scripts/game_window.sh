#!/bin/sh
# Starts the real game under Xvfb, waits for its window, closes it and expects a clean exit.
set -e
GAME_DIR="$1"; CLOSER="$2"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
for f in img se bgm rndtbl.dat st01.txt wexla wexla-headless; do ln -s "$GAME_DIR/$f" "$WORK/$f"; done
for f in "$GAME_DIR"/st*.txt; do ln -sf "$f" "$WORK/"; done
# A first headless run writes config.dat (windowed) so no start-up question waits for a click.
"$GAME_DIR/wexla-headless" --dir "$WORK" --frames 1 >/dev/null 2>&1
cd "$WORK"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c "
  SDL_AUDIODRIVER=dummy ./wexla & pid=\$!
  '$CLOSER' wexla 20 || { kill \$pid; exit 1; }
  for i in \$(seq 1 100); do kill -0 \$pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 \$pid 2>/dev/null; then kill \$pid; echo 'game did not end'; exit 1; fi
  wait \$pid
"
echo "game window opened and closed"
