#!/bin/sh
# Records the games of tests/data/corpus/games.txt with the headless driver's pilot and keeps
# each replay with the state digests of its every 60th game frame. Run after a change of
# behaviour that is meant (say why in the commit); the corpus test then checks against it.
#   scripts/corpus-regen.sh [GAME_DIR]   (default build/game; build first)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
game=$(cd "${1:-$root/build/game}" && pwd)
corpus=$root/tests/data/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Puts a little-endian 32-bit value into config.dat's slot $2.
put_slot() {
  v=$3
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" |
    dd of="$1" bs=1 seek=$(($2 * 4)) conv=notrunc status=none
}

grep -v '^#' "$corpus/games.txt" | while read -r name difficulty frames switches; do
  [ -n "$name" ] || continue
  g=$work/$name
  mkdir -p "$g"
  for f in img se bgm rndtbl.dat st01.txt st02.txt st05.txt st06.txt; do ln -s "$game/$f" "$g/$f"; done
  # A first run writes the default settings; then the title starts on the game's difficulty.
  "$game/wexla-headless" --dir "$g" --frames 1 >/dev/null
  put_slot "$g/config.dat" 18 "$difficulty"
  put_slot "$g/config.dat" 19 8
  # GAME START at frame 60, then a tap of Z every two seconds: the pilot holds the play keys
  # in the game, and a tap leaves the game end for the result screen, which keeps replay.dat.
  awk -v n="$frames" 'BEGIN { print "1 -"; print "60 Z"; print "62 -";
    for (f = 180; f < n; f += 120) { print f " Z"; print f + 2 " -" } }' >"$g/keys"
  # shellcheck disable=SC2086
  "$game/wexla-headless" --dir "$g" --keys "$g/keys" --frames "$frames" --trace-game 60 $switches >"$g/trace"
  [ -f "$g/replay.dat" ] || { echo "$name: the game did not end within $frames frames" >&2; exit 1; }
  cp "$g/replay.dat" "$corpus/$name.dat"
  # Played back from the command line the game starts at once, so a little more than the
  # recording needed to its last kept game frame reaches the result screen, ending the playback.
  last=$(awk '/ scene=0 / { sub(/^run=/, ""); n = $1 } END { print n + 0 }' "$g/trace")
  frames=$((last + 180))
  # The replay is played back without the pilot (it plays the recorded keys) but with every
  # other switch, so a game kept invincible stays so.
  playback=$(echo " $switches " | sed 's/ --pilot / /g; s/^ *//; s/ *$//')
  {
    echo "# frames $frames switches $playback"
    # shellcheck disable=SC2086
    sh "$root/tests/scripts/corpus_play.sh" "$game" "$corpus/$name.dat" "$frames" $playback
  } >"$corpus/$name.digests"
  sed 's/^run=[0-9]* //' "$g/trace" >"$g/recorded"
  if ! tail -n +2 "$corpus/$name.digests" | cmp -s - "$g/recorded"; then
    echo "$name: the replay does not repeat the recorded game" >&2
    exit 1
  fi
  echo "$name: $(($(wc -l <"$corpus/$name.digests") - 1)) digests"
done
