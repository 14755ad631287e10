#!/usr/bin/env bash
# Plays the real game under Xvfb from the title to Quit, a screenshot of each screen kept in
# ${TMPDIR:-/tmp}/tethrix-e2e-shots; then with pictures damaged and a config folder that is a file.
set -u
game=$1; data=$2; here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tethrix-e2e-XXXXXX)
shots=${TMPDIR:-/tmp}/tethrix-e2e-shots
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT

export DISPLAY=:$(( 50 + RANDOM % 400 )) SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
fail=0
bad() { echo "FAIL: $*"; fail=1; }

make_data() { # a copy of the data folder with the test levels and windowed play
  rm -rf "$work/data" "$work/config"; cp -r "$data" "$work/data"
  cp "$here/arena.def" "$work/data/level.def"
  printf 'fullscreen 0\n' > "$work/data/prefs.def"
}

start_game() { # $1: seconds it may run, $2: name of its output; waits for the window
  TETHRIX_DATA=$work/data timeout -k 2 "$1" "$game" >"$work/$2.txt" 2>"$work/$2.err" &
  game_pid=$!
  win=$(timeout 10 xdotool search --sync --name '^Tethrix$' | head -1)
  [ -n "$win" ] || { bad "no game window"; cat "$work/$2.err"; exit 1; }
  xdotool windowfocus "$win" 2>/dev/null
  sleep 1.5
}

# The point (H, V) of the 640 x 480 menu screen as a pixel of the 800 x 600 window, one on.
point() { xdotool mousemove --window "$win" $(($1 * 5 / 4 + 1)) $(($2 * 5 / 4 + 1)); sleep 0.2; }
click() { # a press the game sees for a few frames
  point "$1" "$2"
  xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
  sleep 0.5
}
key() { xdotool key "$1"; sleep 0.4; }
shot() { import -window root "$shots/$1.png"; } # $1: screen-N, the screen's name and a number

# 1. Every screen, from the title to Quit.
rm -rf "$shots"; mkdir -p "$shots"
make_data
start_game 90 out
shot title-1
click 310 240; shot levelselect-1          # Play
key Up                                     # Team Deathmatch: both teams score when both fall
point 420 467                              # Go!, and hold still before the first round ends
xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; xdotool key p
sleep 1; shot game-1
/usr/bin/python3 "$here/check_shots.py" --arena "$shots/game-1.png" || fail=1
key p
for i in $(seq 1 30); do                   # the match ends on the leaderboard
  sleep 1; shot leaderboard-1
  /usr/bin/python3 "$here/check_shots.py" --leaderboard "$shots/leaderboard-1.png" && break
done
key space; click 420 392; shot nextmap-1   # the next match's level select, Next Map
key Escape; shot title-2
click 310 385; shot options-1              # Options, left without saving
key Escape
click 460 400; shot help-1                 # Help
key Escape
click 490 240                              # Quit
wait $game_pid || { bad "Quit ended the game with status $?"; cat "$work/out.err"; }
/usr/bin/python3 "$here/check_shots.py" "$shots"/*.png || fail=1

# 2. Missing and damaged pictures, a config folder that is a file: named, and the game plays on.
make_data
rm -f "$work/data/node.sgi"
for f in sprites.sgi Font.sgi wall.sgi; do head -c 700 "$data/$f" > "$work/data/$f"; done
touch "$work/not-a-folder"
XDG_CONFIG_HOME=$work/not-a-folder start_game 8 out2
click 310 240; click 420 467               # into a match
wait $game_pid
[ $? -eq 124 ] || { bad "the game did not play on until stopped"; cat "$work/out2.err"; }
for f in node.sgi sprites.sgi Font.sgi wall.sgi not-a-folder/tethrix; do
  grep -q "$f" "$work/out2.err" || bad "nothing reported about $f"
done
grep -q "done displaying a frame" "$work/out2.txt" || bad "no frames drawn"

[ $fail -eq 0 ] && echo "e2e: ok"
exit $fail
