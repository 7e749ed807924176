#!/bin/sh
# The driver's test switches: --dump prints well-formed object lines after the trace line of the
# same frame and leaves the state of play alone; --invincible keeps a still ship alive where it
# is otherwise shot down; --pilot plays the game scene itself (the key script only starts the
# game) and plays it the same way twice.
set -e
GAME_DIR=$(cd "$1" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
[ -n "$KEEP" ] && trap - EXIT
mkdir -p "$WORK/d"
for f in img se bgm rndtbl.dat; do ln -s "$GAME_DIR/$f" "$WORK/d/$f"; done
for f in "$GAME_DIR"/st*.txt; do ln -s "$f" "$WORK/d/"; done
printf '1 -\n60 Z\n62 -\n' > "$WORK/keys.txt"
run() {
  out="$WORK/$1"; shift
  "$GAME_DIR/wexla-headless" --dir "$WORK/d" --keys "$WORK/keys.txt" --frames 2400 --trace 100 "$@" > "$out" 2>/dev/null
}
fail() { echo "$1"; exit 1; }

run plain
run dumped --dump 100
run some --dump 200:pe
[ "$(grep -c "^run=" "$WORK/plain")" -eq 24 ] || fail "expected 24 trace lines"
grep '^run=' "$WORK/dumped" | cmp - "$WORK/plain" || fail "--dump changed the state of play"
grep '^run=' "$WORK/some" | cmp - "$WORK/plain" || fail "--dump K:LETTERS changed the state of play"

F='-?[0-9]+\.[0-9]{4}'
I='-?[0-9]+'
E="^enemy run=$I type=$I phase=$I pf=$I hp=$I dying=[01] x=$F y=$F\$"
B="^bullet run=$I kind=$I type=$I age=$I x=$F y=$F angle=$F speed=$F stretch=$F\$"
P="^player run=$I x=$F y=$F power=$I lives=$I bombs=$I options=$I\$"
bad=$(grep -v '^run=' "$WORK/dumped" | grep -Ev "$E|$B|$P" | head -3)
[ -z "$bad" ] || fail "malformed dump lines: $bad"
# Each object line belongs to the frame of the trace line above it; one player line per frame.
awk '/^run=/ { split($1, a, "="); run = a[2]; next }
     { split($2, a, "="); if (a[2] != run) { print "line of run " a[2] " after trace of run " run; exit 1 } }
     /^player/ { players++ }
     END { if (players != 24) { print players " player lines, expected 24"; exit 1 } }' "$WORK/dumped"
grep -q '^enemy' "$WORK/dumped" || fail "no enemy lines"
grep -q '^bullet' "$WORK/dumped" || fail "no bullet lines"
grep -q '^bullet' "$WORK/some" && fail "bullets dumped though not asked for"
[ "$(grep -c '^player' "$WORK/some")" -eq 12 ] || fail "--dump 200:pe should print 12 player lines"
grep -q '^enemy' "$WORK/some" || fail "--dump 200:pe printed no enemy lines"
for bad in 0 x 5: 5:q; do
  "$GAME_DIR/wexla-headless" --dump "$bad" --frames 1 > /dev/null 2>&1 && fail "--dump $bad accepted"
done

# The last player line of a run: lives, and the scene of the last trace line.
last() { echo "$(grep '^player' "$WORK/$1" | tail -1 | sed 's/.*lives=\([-0-9]*\).*/\1/') $(grep '^run=' "$WORK/$1" | tail -1 | sed 's/.* scene=\([0-9]*\).*/\1/')"; }
run still --dump 100:p
run shielded --dump 100:p --invincible
[ "$(last still)" != "1 0" ] || fail "a still ship should have been shot down in 2400 frames"
[ "$(last shielded)" = "1 0" ] || fail "--invincible ship was shot down: $(last shielded)"

run piloted --dump 100:p --pilot --invincible
run piloted2 --dump 100:p --pilot --invincible
cmp "$WORK/piloted" "$WORK/piloted2" || fail "the pilot played two ways"
[ "$(grep '^player' "$WORK/piloted" | awk '{print $3}' | sort -u | wc -l)" -gt 10 ] || fail "the pilot did not move"
[ "$(last piloted)" = "1 0" ] || fail "piloted invincible ship was shot down"
score=$(grep '^run=' "$WORK/piloted" | tail -1 | sed 's/.* score=[0-9]*,\([0-9]*\).*/\1/')
[ "$score" -gt 10000 ] || fail "the pilot scored only $score"
cmp -s "$WORK/piloted" "$WORK/shielded" && fail "--pilot changed nothing"
echo "switches behave"
