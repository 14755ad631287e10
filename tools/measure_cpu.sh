#!/usr/bin/env bash
# CPU use of the game at its frame cap, on the game screen under Xvfb:
#   tools/measure_cpu.sh build/tethrix [seconds]
# Prints the game's and Xvfb's share of one core and the frames drawn a second.
set -u
game=$1; seconds=${2:-10}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/tethrix-cpu-XXXXXX)
trap 'kill $game_pid $xvfb 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$here/data" "$work/data"; rm -f "$work/data/prefs.def"
printf 'fullscreen 0\n' > "$work/data/prefs.def"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(cat "$work/display") SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config TETHRIX_DATA=$work/data \
  "$game" >"$work/out.txt" 2>/dev/null &
game_pid=$!
sleep 3 # past start-up and the first frames
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
g0=$(ticks $game_pid); x0=$(ticks $xvfb); f0=$(grep -c "done displaying" "$work/out.txt")
sleep "$seconds"
g1=$(ticks $game_pid); x1=$(ticks $xvfb); f1=$(grep -c "done displaying" "$work/out.txt")
hz=$(getconf CLK_TCK)
awk -v g=$((g1 - g0)) -v x=$((x1 - x0)) -v f=$((f1 - f0)) -v s="$seconds" -v hz="$hz" 'BEGIN {
  printf "game %.1f%% of a core, Xvfb %.1f%%, %.1f frames a second\n", 100 * g / hz / s, 100 * x / hz / s, f / s }'
