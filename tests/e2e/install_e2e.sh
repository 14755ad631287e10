#!/usr/bin/env bash
# Installs the game into a scratch prefix and checks what a desktop needs is there and valid;
# then, under Xvfb when there is one, plays the installed game with a read-only data folder:
# its settings go to XDG_CONFIG_HOME and F12 writes a picture.
set -u
build=$1; app_id=$2
work=$(mktemp -d /tmp/tethrix-install-XXXXXX)
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cmake --install "$build" --prefix "$work/prefix" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
game=$work/prefix/bin/tethrix
share=$work/prefix/share

# 1. The tree.
for f in level.def prefs.def sprites.sgi tethrix.sgi node.sgi wall.sgi Font.sgi Sounds/Welcome.mp3; do
  [ -f "$share/tethrix/$f" ] || bad "share/tethrix/$f missing"
done
[ -z "$(find "$share/tethrix" -name 'prefs.def?*')" ] || bad "a leftover of prefs.def was installed"
desktop=$share/applications/tethrix.desktop
metainfo=$share/metainfo/$app_id.metainfo.xml
[ -f "$desktop" ] && desktop-file-validate "$desktop" || bad "tethrix.desktop missing or invalid"
[ -f "$metainfo" ] && appstreamcli validate --no-net "$metainfo" >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; bad "$app_id.metainfo.xml missing or invalid"; }
grep -q '<launchable type="desktop-id">tethrix.desktop<' "$metainfo" || bad "no launchable"
grep -q '^Icon=tethrix$' "$desktop" || bad "the launcher names another icon"
for size in 48 64 128 256; do # each icon is a PNG of its folder's size
  icon=$(identify -format '%m %wx%h' "$share/icons/hicolor/${size}x${size}/apps/tethrix.png")
  [ "$icon" = "PNG ${size}x${size}" ] || bad "icon $size: '$icon'"
done
man=$share/man/man6/tethrix.6
[ -f "$man" ] && [ -z "$(groff -man -ww -z "$man" 2>&1)" ] || bad "no man page, or roff warnings"

# 2. The command line, which needs no display.
version=$(env -u DISPLAY "$game" --version) || bad "--version failed"
grep -q "<release version=\"${version#tethrix }\"" "$metainfo" || bad "no release for $version"

command -v Xvfb >/dev/null && command -v xdotool >/dev/null ||
  { echo "install: ok (no Xvfb or xdotool: the installed game was not started)"; exit $fail; }

# 3. The installed game, its data folder read-only.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display") SDL_AUDIODRIVER=dummy HOME=$work/home \
  XDG_CONFIG_HOME=$work/config XDG_PICTURES_DIR=$work/pictures
unset TETHRIX_DATA
chmod -R a-w "$share/tethrix"
before=$(ls -lR --time-style=full-iso "$share/tethrix")

timeout -k 2 6 "$game" --windowed >"$work/out.txt" 2>"$work/err.txt" &
game_pid=$!
sleep 3
xdotool search --sync --onlyvisible --name '^Tethrix$' windowfocus --sync key F12 2>/dev/null ||
  bad "could not press F12 in the window"
wait $game_pid
grep -qs '^player 1 .* e 4 ' "$work/config/tethrix/prefs.def" ||
  bad "no settings in XDG_CONFIG_HOME, or not the shipped keys"
[ "$(ls -lR --time-style=full-iso "$share/tethrix")" = "$before" ] || bad "the data folder changed"
picture=$(identify -format '%m %wx%h %k' "$work/pictures/tethrix/tethrix-"*.png) # %k: colours
[ "${picture% *}" = "PNG 800x600" ] && [ "${picture##* }" -gt 1 ] || bad "screenshot: '$picture'"

[ $fail -eq 0 ] && echo "install: ok"
exit $fail
