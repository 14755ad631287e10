#!/usr/bin/env bash
# Plays the real game under Xvfb: a screenshot shows the level where it should
# be, and the game survives a data folder whose pictures are missing or damaged.
set -u
game=$1; data=$2; here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tethrix-e2e-XXXXXX)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

display=:$(( 50 + RANDOM % 400 ))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config
fail=0

make_data() { # a copy of the data folder with the test level and windowed play
  rm -rf "$work/data" "$work/config"; cp -r "$data" "$work/data"; rm -f "$work/data/prefs.def"
  cp "$here/arena.def" "$work/data/level.def"
  printf 'fullscreen 0\n' > "$work/data/prefs.def"
}

# 1. The level as a player sees it.
make_data
TETHRIX_DATA=$work/data timeout -k 2 6 "$game" >"$work/out.txt" 2>"$work/err.txt" &
game_pid=$!
sleep 4
import -window root "$work/shot.png" 2>/dev/null || xwd -root -silent | convert xwd:- "$work/shot.png"
wait $game_pid
grep -q "done displaying a frame" "$work/out.txt" || { echo "FAIL: no frame line"; fail=1; }
cp "$work/shot.png" "${TMPDIR:-/tmp}/tethrix-e2e-shot.png"
/usr/bin/python3 "$here/check_shot.py" "$work/shot.png" || fail=1
grep -q '^player 0 ' "$work/config/tethrix/prefs.def" || { echo "FAIL: prefs.def not written back"; fail=1; }

# 2. Missing and damaged pictures: reported, skipped, and the game keeps running.
make_data
rm -f "$work/data/node.sgi"
head -c 700 "$data/sprites.sgi" > "$work/data/sprites.sgi"
head -c 4096 /dev/urandom > "$work/data/Font.sgi"
printf '\001\332\001\001\000\003\377\377\377\377\000\004' > "$work/data/wall.sgi"
TETHRIX_DATA=$work/data timeout -k 2 4 "$game" >"$work/out2.txt" 2>"$work/err2.txt"
status=$?
[ $status -eq 124 ] || { echo "FAIL: game ended with status $status on damaged pictures"; cat "$work/err2.txt"; fail=1; }
for f in node.sgi sprites.sgi Font.sgi wall.sgi; do
  grep -q "$f" "$work/err2.txt" || { echo "FAIL: nothing reported about $f"; fail=1; }
done
grep -q "done displaying a frame" "$work/out2.txt" || { echo "FAIL: no frames with damaged pictures"; fail=1; }

[ $fail -eq 0 ] && echo "e2e: ok"
exit $fail
