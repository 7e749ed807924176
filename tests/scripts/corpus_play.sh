#!/bin/sh
# Plays one kept replay headless and prints the trace line of every 60th game frame (the run
# counter left out, so the lines do not depend on how long the title took).
#   corpus_play.sh GAME_DIR REPLAY.dat FRAMES [DRIVER SWITCHES...]
set -eu
game=$1 replay=$2 frames=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/game"
for f in img se bgm rndtbl.dat st01.txt st02.txt st05.txt st06.txt; do
  ln -s "$game/$f" "$work/game/$f"
done
# A replay given on the command line makes the program's own folder the current one.
cp "$game/wexla-headless" "$work/game/"
cp "$replay" "$work/game/corpus.dat"
"$work/game/wexla-headless" --dir "$work/game" --frames "$frames" --trace-game 60 "$@" -- corpus.dat \
  >"$work/trace" 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
sed "s/^run=[0-9]* //" "$work/trace"
