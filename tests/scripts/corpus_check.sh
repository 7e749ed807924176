#!/bin/sh
# The replay corpus: every kept game played back headless must pass through the kept state
# digests of every 60th game frame. A difference anywhere in the game's behaviour shows here,
# with the first frame that differs. scripts/corpus-regen.sh rebuilds the corpus when a change
# of behaviour is meant.
#   corpus_check.sh GAME_DIR CORPUS_DIR
set -eu
game=$(cd "$1" && pwd) corpus=$(cd "$2" && pwd)
here=$(dirname "$0")
status=0 count=0
for digests in "$corpus"/*.digests; do
  name=$(basename "$digests" .digests)
  # First line: "# frames N switches S..."
  header=$(head -n 1 "$digests")
  frames=$(echo "$header" | awk '{ print $3 }')
  switches=$(echo "$header" | cut -d' ' -f5-)
  got=$(mktemp)
  # shellcheck disable=SC2086
  if ! sh "$here/corpus_play.sh" "$game" "$corpus/$name.dat" "$frames" $switches >"$got"; then
    echo "$name: the driver failed"
    status=1
  elif ! tail -n +2 "$digests" | cmp -s - "$got"; then
    echo "$name: differs from the kept digests at:"
    tail -n +2 "$digests" | awk -v got="$got" '{
      if ((getline g < got) <= 0) g = "(the game ended before this frame)"
      if (g != $0) { print "  kept: " $0; print "  now:  " g; found = 1; exit }
    } END { if (!found) print "  (the game now goes on past the last kept frame)" }'
    status=1
  else
    echo "$name: $(tail -n +2 "$digests" | wc -l) digests match"
  fi
  rm -f "$got"
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "no kept games in $corpus"; exit 1; }
exit $status
