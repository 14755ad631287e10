#!/usr/bin/env bash
# Pictures of six balls in play at 800 x 600, once for each colour-vision view, for docs/colours.md.
#   tools/shoot_colours.sh GAME DATA OUT NAME
# The balls take their colours from DATA/prefs.def; the pictures are OUT/NAME-normal.png,
# NAME-protanopia.png and so on. Runs the real game under its own Xvfb, as the e2e test does.
set -eu
game=$1; data=$2; out=$3; name=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/tethrix-colours-XXXXXX")
xvfb=
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config
mkdir -p "$out"

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# A small box the camera frames whole, nodes to swing from and six starts apart from each other.
level() {
  cat <<'EOF'
scores 10 3 5 10 5000 5 3000 2000 30 10 10 10
nextlevel 0
Colour Check
level -6 6 3.8 -3.8
deathmatch 10
block -4 2.5
block 0 2.8
block 4 2.5
block -2.5 0
block 2.5 0
start -5 1 0 0
start -3 -2 0 0
start -1 1.5 0 0
start 1 -2 0 0
start 3 1.5 0 0
start 5 -1 0 0
EOF
}

# A point of the 640 x 480 menu screen, which fills an 800 x 600 window.
click() {
  xdotool mousemove $(($1 * 800 / 640)) $(($2 * 600 / 480))
  sleep 0.2
  xdotool mousedown 1 sleep 0.01 mouseup 1
  sleep 0.4
}

for view in normal protanopia deuteranopia tritanopia; do
  rm -rf "$work/data" "$work/config"
  cp -r "$data" "$work/data"
  level > "$work/data/level.def"
  mode=$(case $view in normal) echo 0 ;; protanopia) echo 1 ;; deuteranopia) echo 2 ;; *) echo 3 ;; esac)
  { grep -v '^fullscreen ' "$data/prefs.def"; echo "fullscreen 0"; echo "colourvision $mode"; } \
    > "$work/data/prefs.def"
  TETHRIX_DATA=$work/data timeout -k 2 30 "$game" >"$work/out.txt" 2>"$work/out.err" &
  pid=$!
  win=$(timeout 10 xdotool search --sync --name '^Tethrix$' | head -1)
  xdotool windowfocus "$win" 2>/dev/null || true
  sleep 1.5
  click 310 240 # Play
  xdotool key Return; sleep 1
  for ball in 1 2 3 4; do click $((100 * ball + 60)) 465; done # out -> computer
  xdotool mousemove 400 300 # off the labels, which light up under the pointer
  sleep 3
  import -window root "$out/$name-$view.png"
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
done
