#!/usr/bin/env bash
# Plays the real game under Xvfb: at 800 x 600 windowed from the title to Quit, and at 1280 x 1024
# full screen through the level select, with a screenshot of each screen; then with pictures
# damaged and a config folder that is a file; then walked by a virtual pad alone; then full screen
# at 640 x 480, 1920 x 1080 and 3840 x 2160. Each run has its own Xvfb (on a display it reports
# free) and its own scratch folder; E2E_SHOTS=DIR keeps the screenshots there.
set -u
game=$1; data=$2; here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tethrix-e2e-XXXXXX")
shots=$work/shots
xvfb=
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/share
sim=$(dirname "$game")/tethrix-sim
mkdir -p "$shots"
fail=0
bad() { echo "FAIL: $*"; fail=1; }

start_x() { # $1: WxH; a fresh Xvfb on a display it chose itself
  [ -n "$xvfb" ] && { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; }
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { bad "Xvfb did not start"; exit 1; }
  export DISPLAY=:$(cat "$work/display")
  width=${1%x*}; height=${1#*x}
}

make_data() { # $1: fullscreen 0 or 1; a copy of the data folder with the test levels
  rm -rf "$work/data" "$work/config"; cp -r "$data" "$work/data"
  cp "$here/arena.def" "$work/data/level.def"
  printf 'fullscreen %s\n' "${1:-0}" > "$work/data/prefs.def"
}

start_game() { # $1: seconds it may run, $2: name of its output; waits for the window
  rm -f "$work/text.log"
  TETHRIX_TEXT_LOG=$work/text.log TETHRIX_DATA=$work/data timeout -k 2 "$1" "$game" >"$work/$2.txt" 2>"$work/$2.err" &
  game_pid=$!
  win=$(timeout 10 xdotool search --sync --name '^Tethrix$' | head -1)
  [ -n "$win" ] || { bad "no game window"; cat "$work/$2.err"; exit 1; }
  xdotool windowfocus "$win" 2>/dev/null
  sleep 1.5
}

# The point (H, V) of the 640 x 480 menu screen as a pixel of the window, where the menu is the
# largest 4:3 area centred in it.
pixel() {
  awk -v h="$1" -v v="$2" -v w="$width" -v ht="$height" 'BEGIN {
    s = w / 640 < ht / 480 ? w / 640 : ht / 480
    printf "%d %d", (w - 640 * s) / 2 + h * s + 0.5, (ht - 480 * s) / 2 + v * s + 0.5 }'
}
point() { xdotool mousemove $(pixel "$1" "$2"); sleep 0.2; }
click() { # a 10 ms tap, as a touchpad gives: down and up between two frames
  point "$1" "$2"
  xdotool mousedown 1 sleep 0.01 mouseup 1
  sleep 0.5
}
key() { xdotool key "$1"; sleep 0.4; }
# $1: screen-N, the screen's name and a number. The text the game drew last is kept beside it.
shot() {
  import -window root "$shots/$1.png"
  if [ -f "$work/text.log" ]; then cp "$work/text.log" "$shots/$1.txt"; fi
}
# $1: a shot's name, $2 ...: lines of text it must show, each whole.
says() {
  local want
  for want in "${@:2}"; do
    cut -d' ' -f5- "$shots/$1.txt" 2>/dev/null | grep -qxF -- "$want" ||
      bad "$1: no \"$want\" among its text: $(cut -d' ' -f5- "$shots/$1.txt" 2>/dev/null | tail -n +2 | paste -sd'|')"
  done
}
# The title, level select, a match and its leaderboard: their text inside the window. $1: the shots' size.
texts_inside() {
  /usr/bin/python3 "$here/check_shots.py" --texts "$shots"/{title,levelselect,game,leaderboard}-"$1"-1.txt ||
    fail=1
}

# Every game type's row, clicked in its middle as drawn (0.5 units a row from -2, text 0.25
# high, 480 / 9.2 menu pixels a unit), comes up chosen; Team Deathmatch is left chosen.
walk_rows() { # $1: a name for the shots
  for row in 3 0 11 5 8 2 10 4 7 9 6 1; do
    local v; v=$(awk -v r="$row" 'BEGIN { printf "%d", 240 - (-2 + 0.5 * r + 0.125) * 480 / 9.2 }')
    click 420 "$v"; shot "rows-$1"
    read -r x y <<<"$(pixel 356 "$v")"
    /usr/bin/python3 "$here/check_shots.py" --chosen "$shots/rows-$1.png" "$x" "$y" ||
      bad "$1: a tap on row $row did not choose it"
  done
  rm -f "$shots/rows-$1.png"
}

wait_leaderboard() { # $1: the shot's name
  for _ in $(seq 1 100); do # a loaded machine draws 4K slowly
    sleep 1; shot "$1"
    /usr/bin/python3 "$here/check_shots.py" --leaderboard "$shots/$1.png" && return 0
  done
  bad "$1: no leaderboard"
}

# 1. Every screen, from the title to Quit, at 800 x 600 in a window; Red plays a match by its keys.
start_x 800x600
make_data 0
printf 'player 0 1 0 0 x c 0.3 1\nRed\n' >> "$work/data/prefs.def" # keys no other ball has
start_game 120 out
shot title-1
key Right; key Down; shot title-3          # the keyboard lights Play, then Options
key Escape
point 310 240; shot title-4                # the mouse over Play lights its pill
click 310 240; shot levelselect-1          # Play
walk_rows window
key Return                                 # Team Deathmatch: both teams score when both fall
xdotool key p; sleep 1; shot game-1
/usr/bin/python3 "$here/check_shots.py" --arena "$shots/game-1.png" || fail=1
click 70 465; shot game-2                  # Red's label, still paused: from the computer to its keys
says game-2 "Red: X C"
key p
# Red ropes on and lets go, quickly and after a wait, fires its power-up and ends free to fall,
# so Blue soon wins the rounds. Keys that reach the leaderboard instead do nothing there.
key x; key x; sleep 1; key x; sleep 2; key c; key x
wait_leaderboard leaderboard-1
# The match just played was saved; the sim plays it to the same leaderboard, every check held.
replay=$(ls "$work"/share/tethrix/replays/*.replay 2>/dev/null | head -1)
if [ -z "$replay" ]; then bad "no replay saved"; else
  "$sim" --data "$work/data" --replay "$replay" >"$work/replay.txt" 2>&1 || bad "the replay did not play: $(cat "$work/replay.txt")"
  grep '^leaderboard: ' "$work/out.txt" >"$work/board-live.txt"
  grep '^leaderboard: ' "$work/replay.txt" >"$work/board-replay.txt"
  [ -s "$work/board-live.txt" ] && cmp -s "$work/board-live.txt" "$work/board-replay.txt" ||
    bad "the replay's leaderboard differs: $(cat "$work/board-live.txt" "$work/board-replay.txt")"
  # The replay holds what Red's player did: the label click and both of Red's keys.
  awk '$2 == "press" && $3 >= 20 && $3 < 120 && $4 >= 451 { n++ } END { exit !n }' "$replay" ||
    bad "the replay has no click on Red's label"
  grep -q "^[0-9]* x$" "$replay" && grep -q "^[0-9]* c$" "$replay" ||
    bad "the replay has no press of Red's keys"
fi
key w; sleep 1; shot replay-1                # watched again, then back to the same leaderboard
key Escape
key space; click 420 392; shot nextmap-1   # the next match's level select, Next Map
key Escape; shot title-2
click 310 385; shot options-1              # Options, left without saving
key Escape
click 460 400; shot help-1                 # Help
key Escape
click 490 240                              # Quit
wait $game_pid || { bad "Quit ended the game with status $?"; cat "$work/out.err"; }

# 2. The same choices at 1280 x 1024 full screen, started with Return.
start_x 1280x1024
make_data 1
start_game 240 full
shot title-full-1
click 310 240; shot levelselect-full-1
walk_rows full
key Return; sleep 3; shot game-full-1
wait_leaderboard leaderboard-full-1
texts_inside full
kill $game_pid 2>/dev/null; wait $game_pid 2>/dev/null
/usr/bin/python3 "$here/check_shots.py" "$shots"/*.png || fail=1

# 3. Without its picture the title still shows its buttons, named, and they work.
start_x 800x600
make_data 0
rm -f "$work/data/tethrix.sgi"
start_game 20 out3
shot title-nopicture-1
/usr/bin/python3 "$here/check_shots.py" --buttons "$shots/title-nopicture-1.png" || fail=1
grep -q tethrix.sgi "$work/out3.err" || bad "nothing reported about tethrix.sgi"
click 490 240                              # Quit
wait $game_pid || bad "Quit without the title picture ended with status $?"

# 4. Missing and damaged pictures, a config folder that is a file: named, and the game plays on.
make_data 0
rm -f "$work/data/node.sgi"
for f in sprites.sgi Font.sgi wall.sgi; do head -c 700 "$data/$f" > "$work/data/$f"; done
touch "$work/not-a-folder"
XDG_CONFIG_HOME=$work/not-a-folder start_game 8 out2
click 310 240; key Return                  # into a match
wait $game_pid
[ $? -eq 124 ] || { bad "the game did not play on until stopped"; cat "$work/out2.err"; }
for f in node.sgi sprites.sgi Font.sgi wall.sgi not-a-folder/tethrix; do
  grep -q "$f" "$work/out2.err" || bad "nothing reported about $f"
done
grep -q "done displaying a frame" "$work/out2.txt" || bad "no frames drawn"

# 5. A virtual pad alone, no key and no click: it binds itself to Red in player setup, saves, plays
# Red from the title to the leaderboard and goes back to the title.
start_x 800x600
make_data 0
: > "$work/feed"
TETHRIX_PAD_FEED=$work/feed start_game 120 pad
pad() { echo "pad 1 $*" >> "$work/feed"; sleep 0.3; }
tap() { for b in "$@"; do pad "$b down"; pad "$b up"; done; }
pad connect; sleep 0.5
tap dpright dpdown a                       # Play, then Options
tap dpdown dpdown dpdown a                 # Setup Player: Red
tap dpdown dpdown dpdown a x y             # Pad: X for the rope, Y for the power-up
shot setup-pad-1
says setup-pad-1 "Pad 1: X / Y"
tap dpup dpup dpup a dpup dpup dpup a      # OK on the page, OK on the options: saved
grep -q "^pad 0 [0-9a-f]\{32\} 0 x y$" "$work/config/tethrix/prefs.def" ||
  bad "the pad's binding was not saved"
tap dpup a a                               # Play, Go!
sleep 1; tap start; sleep 1                # Start takes Red over from the computer
shot game-pad-1
says game-pad-1 "Red: Pad 1"
wait_leaderboard leaderboard-pad-1
tap b; shot title-pad-1
/usr/bin/python3 "$here/check_shots.py" "$shots"/*pad-1.png || fail=1
kill $game_pid 2>/dev/null; wait $game_pid 2>/dev/null

# 6. Full screen from 640 x 480 to 3840 x 2160: the title, the level select, a short match and
# its leaderboard, whose panel and text stay inside the window.
for size in 640x480 1920x1080 3840x2160; do
  start_x "$size"
  make_data 1
  start_game 240 "size-$size"
  shot "title-$size-1"
  if [ "$size" = 1920x1080 ]; then # wider than 4:3: the mouse, in the menus' letterboxed area
    click 310 240; shot "levelselect-$size-1"
    walk_rows "$size"
  else
    key Right; key Return; shot "levelselect-$size-1"
    key Up
  fi
  /usr/bin/python3 "$here/check_shots.py" --rows "$shots/levelselect-$size-1.png" || fail=1
  key Return; sleep 3; shot "game-$size-1"   # Team Deathmatch, to 3
  wait_leaderboard "leaderboard-$size-1"
  /usr/bin/python3 "$here/check_shots.py" --inside "$shots/leaderboard-$size-1.png" || fail=1
  texts_inside "$size"
  kill $game_pid 2>/dev/null; wait $game_pid 2>/dev/null
done
/usr/bin/python3 "$here/check_shots.py" "$shots"/*-640x480-1.png || fail=1

if [ -n "${E2E_SHOTS:-}" ]; then mkdir -p "$E2E_SHOTS" && cp "$shots"/*.png "$shots"/*.txt "$E2E_SHOTS"/; fi
[ $fail -eq 0 ] && echo "e2e: ok"
exit $fail
