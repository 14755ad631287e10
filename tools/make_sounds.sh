#!/usr/bin/env bash
# Builds every sound the game plays into data/Sounds/NAME.mp3, and the sorted
# list of names into tools/sound_names.txt.
#
# Only Debian packages are used: espeak-ng speaks the announcer lines, sox
# synthesises the effects and does all processing, lame encodes the MP3s.
# Every run rebuilds everything from scratch; sox runs in repeatable mode so
# the noise in the effects comes out the same each time.
#
#   tools/make_sounds.sh            build, then check every file
#   tools/make_sounds.sh --verify   only check the files already built
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT="$ROOT/data/Sounds"
NAMES_FILE="$ROOT/tools/sound_names.txt"

RATE=44100
BITRATE=64          # kbps, mono CBR: small files, clean enough for speech
VOICE=en-us+m3
SPEED=180           # words a minute; espeak's default is 175
PITCH=58            # 0..99; a little above the default 50 for energy
TARGET_RMS=-17      # dBFS, weighted RMS every file is brought to
CEILING=-1.0        # dBFS, highest peak before encoding, room for the encoder

# Announcer lines: file name, then what is spoken. The names are what the game
# asks for; the text is what a listener should hear, spelt so espeak says it
# well ("Bungee", "Piñata").
LINES=$(cat <<'EOF'
Red	Red!
Yellow	Yellow!
Orange	Orange!
Purple	Purple!
Green	Green!
Blue	Blue!
RedTeam	Red team!
BlueTeam	Blue team!
HasWonTheRound	has won the round!
HasWonTheMatch	has won the match!
HasScored	has scored!
HasCTF	has captured the flag!
IsNowIt	is now it!
Denied	Denied!
DeathMatch	Deathmatch!
CTF	Capture the flag!
Race	Race!
Domination	Domination!
AirHockey	Air hockey!
EnduranceMatch	Endurance match!
Tag	Tag!
Pinata	Piñata!
UnstableDeathmatch	Unstable deathmatch!
BlinkDeathmatch	Blink deathmatch!
BodyCount	Body count!
NormalGravity	Normal gravity!
PlanetaryGravity	Planetary gravity!
WhirlwindGravity	Whirlwind gravity!
ReverseGravity	Reverse gravity!
IncreasedGravity	Increased gravity!
ReducedGravity	Reduced gravity!
BungieRope	Bungee rope!
Shield	Shield!
TurboBoost	Turbo boost!
AllOpponentsShrunk	All opponents shrunk!
GrowthSpurt	Growth spurt!
Shrinkage	Shrinkage!
TimeStop	Time stop!
GiantVacuumCleaner	Giant vacuum cleaner!
TemporalDilation	Temporal dilation!
Untouchable	Untouchable!
PhaseOut	Phase out!
Tapeworm	Tapeworm!
Unblockable	Unblockable!
Nova	Nova!
Supernova	Supernova!
Antimatter	Antimatter!
ParticleBeam	Particle beam!
Drunk	Drunken master!
PartShield	Particle shield!
Switcheroo	Switcheroo!
Shotgun	Double shotgun!
Reverse	Reverse!
Missile	Homing missile!
TimeWarp	Time warp!
ChainCharge	Chain charge!
Slam	Slam!
NovaBomb	Nova bomb!
OmegaOne	Omega one!
AntimatterBomb	Antimatter bomb!
MatrixShield	Matrix shield!
RingShield	Ring shield!
FreezeRay	Freeze ray!
Chase	Chase!
BlinkStrike	Blink strike!
MagneticShield	Magnetic shield!
GravityShield	Gravity shield!
Twiddle	Twiddle!
EOF
)

# Sounds built by hand below rather than straight from the table.
EFFECTS=(Welcome Crash Die)
WELCOME_TEXT="Welcome to Tethrix!"

die() { echo "make_sounds: $*" >&2; exit 1; }

need() {  # command, Debian package that provides it
    command -v "$1" >/dev/null 2>&1 || die "'$1' not found: apt-get install $2"
}

sx() { sox -R -V1 "$@"; }

stat_of() {  # file, "RMS lev dB" | "Pk lev dB" | "Length s"
    sox -V1 "$1" -n stats 2>&1 | awk -v k="$2" 'index($0, k) == 1 { print $NF }'
}

# Loudness as the ear hears it, roughly: RMS after cutting the deep lows and
# lifting the highs, the shape of the usual broadcast loudness weighting.
# Plain RMS would let the rumble of an explosion count as much as a voice.
loudness_of() {  # file
    sox -V1 "$1" -n highpass 60 treble 4 1500 stats 2>&1 |
        awk 'index($0, "RMS lev dB") == 1 { print $NF }'
}

# Announcer speech: resampled, start trimmed, rumble removed, a little body
# and presence, compressed so quiet syllables carry, a short room added, and
# the tail trimmed once the room has died away.
speak() {  # text, out.wav
    espeak-ng -v "$VOICE" -s "$SPEED" -p "$PITCH" -g 0 -w "$TMP/espeak.wav" "$1"
    sx "$TMP/espeak.wav" -r "$RATE" -c 1 -b 24 "$TMP/speech.wav" \
        rate -v "$RATE" \
        silence 1 0.005 -45d \
        gain -n -6 \
        highpass 90 \
        equalizer 180 1.2q +2 \
        equalizer 3200 1.0q +3 \
        compand 0.002,0.10 6:-60,-60,-36,-26,-18,-15,0,-10 0 -90 0.002 \
        pad 0.01 0.35 \
        reverb 18 60 35 100 8 -10 \
        reverse silence 1 0.005 -55d reverse
    # Separate pass: the fade needs the trimmed length.
    sx "$TMP/speech.wav" "$2" fade t 0.005 0 0.06
}

# Brings a file to the common loudness, unless that would push its peak over the
# ceiling; then the peak decides. A limiter would get every file to the target
# but audibly flattens the hits of the effects.
level() {  # in.wav, out.wav
    local loud pk gain
    loud=$(loudness_of "$1")
    pk=$(stat_of "$1" "Pk lev dB")
    gain=$(awk -v t="$TARGET_RMS" -v c="$CEILING" -v r="$loud" -v p="$pk" \
        'BEGIN { g = t - r; h = c - p; printf "%.2f", (g < h ? g : h) }')
    sx "$1" -b 16 "$2" gain "$gain"
}

encode() {  # in.wav, NAME
    lame --quiet --nohist --noreplaygain -m m --cbr -b "$BITRATE" -q 2 \
        --resample 44.1 "$1" "$OUT/$2.mp3"
}

make_line() {  # NAME, text
    speak "$2" "$TMP/voice.wav"
    level "$TMP/voice.wav" "$TMP/final.wav"
    encode "$TMP/final.wav" "$1"
}

# A short metallic thud: a falling low sine for weight, four inharmonic
# partials for the clang, and a click of filtered noise for the hit.
make_crash() {
    sx -n -r "$RATE" -c 1 "$TMP/thud.wav" synth 0.30 sine 150-48 \
        fade l 0 0.30 0.28 gain -3
    sx -r "$RATE" -c 4 -n -c 1 "$TMP/ring.wav" \
        synth 0.30 sine 437 sine 1193 sine 2231 sine 3347 \
        remix - fade l 0 0.30 0.29 gain -4
    sx -n -r "$RATE" -c 1 "$TMP/click.wav" synth 0.05 whitenoise \
        bandpass 2600 1.2q fade l 0 0.05 0.048 gain -4
    sx -m "$TMP/thud.wav" "$TMP/ring.wav" "$TMP/click.wav" "$TMP/crash_raw.wav" \
        overdrive 6 30 reverb 8 70 15 100 0 -10 \
        trim 0 0.32 fade t 0 0.32 0.04 channels 1
    level "$TMP/crash_raw.wav" "$TMP/final.wav"
    encode "$TMP/final.wav" Crash
}

# A descending buzzy zap that turns into a low rumble and a soft boom.
make_die() {
    sx -n -r "$RATE" -c 1 "$TMP/zap.wav" synth 0.42 sawtooth 1500-70 \
        tremolo 28 55 lowpass 5000 fade t 0.005 0.42 0.2
    sx -n -r "$RATE" -c 1 "$TMP/rumble.wav" synth 0.50 brownnoise \
        lowpass 900 fade q 0.03 0.50 0.45 pad 0.12 0 gain 4
    sx -n -r "$RATE" -c 1 "$TMP/boom.wav" synth 0.45 sine 95-32 \
        fade l 0.01 0.45 0.40 pad 0.10 0 gain -2
    sx -m "$TMP/zap.wav" "$TMP/rumble.wav" "$TMP/boom.wav" "$TMP/die_raw.wav" \
        overdrive 8 25 reverb 25 60 40 100 0 -10 \
        trim 0 0.62 fade t 0 0.62 0.08 channels 1
    level "$TMP/die_raw.wav" "$TMP/final.wav"
    encode "$TMP/final.wav" Die
}

# The greeting at start-up, over a swelling major chord.
make_welcome() {
    speak "$WELCOME_TEXT" "$TMP/voice.wav"
    local len
    len=$(stat_of "$TMP/voice.wav" "Length s")
    len=$(awk -v l="$len" 'BEGIN { printf "%.3f", l + 0.25 }')
    sx -r "$RATE" -c 5 -n -c 1 "$TMP/chord.wav" \
        synth "$len" sawtooth 130.81 sawtooth 196.00 sawtooth 261.63 \
        sawtooth 329.63 sawtooth 392.00 \
        remix - lowpass 1600 chorus 0.7 0.9 55 0.4 0.25 2 -s \
        fade h 0.12 "$len" 0.6 gain -15
    sx "$TMP/voice.wav" "$TMP/voice_late.wav" pad 0.12 0
    sx -m "$TMP/chord.wav" "$TMP/voice_late.wav" "$TMP/welcome_raw.wav" channels 1
    level "$TMP/welcome_raw.wav" "$TMP/final.wav"
    encode "$TMP/final.wav" Welcome
}

all_names() {
    { printf '%s\n' "${EFFECTS[@]}"; printf '%s\n' "$LINES" | cut -f1; } | LC_ALL=C sort
}

# Decodes every file and checks its length, peak and loudness; prints a table.
# Decoded lengths include the encoder's padding of a few hundredths of a second.
verify() {
    local bad=0 name file len pk rms loud lo hi
    printf '%-20s %6s %8s %8s %8s\n' NAME "LEN s" "PEAK dB" "RMS dB" "LOUD dB"
    while read -r name; do
        file="$OUT/$name.mp3"
        if [ ! -s "$file" ]; then
            echo "missing: $file" >&2; bad=1; continue
        fi
        if ! sox -V1 "$file" "$TMP/check.wav" 2>/dev/null &&
           ! mpg123 -q -w "$TMP/check.wav" "$file" 2>/dev/null; then
            echo "undecodable: $file" >&2; bad=1; continue
        fi
        len=$(stat_of "$TMP/check.wav" "Length s")
        pk=$(stat_of "$TMP/check.wav" "Pk lev dB")
        rms=$(stat_of "$TMP/check.wav" "RMS lev dB")
        loud=$(loudness_of "$TMP/check.wav")
        case "$name" in
            Crash|Die) lo=0.1; hi=1.5 ;;
            *)         lo=0.3; hi=3.0 ;;
        esac
        printf '%-20s %6.3f %8.2f %8.2f %8.2f\n' "$name" "$len" "$pk" "$rms" "$loud"
        if ! awk -v l="$len" -v lo="$lo" -v hi="$hi" -v p="$pk" -v d="$loud" -v t="$TARGET_RMS" \
                 'BEGIN { exit !(l >= lo && l <= hi && p < 0 && d > t - 4 && d < t + 2) }'; then
            echo "out of range: $name" >&2; bad=1
        fi
    done < <(all_names)
    return "$bad"
}

need sox sox
need lame lame
need espeak-ng espeak-ng
sox -h 2>&1 | grep -q ' mp3 ' || need mpg123 "libsox-fmt-mp3 or mpg123"

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

if [ "${1:-}" != "--verify" ]; then
    mkdir -p "$OUT"
    all_names > "$NAMES_FILE"
    make_welcome
    make_crash
    make_die
    while IFS=$'\t' read -r name text; do
        make_line "$name" "$text"
    done <<< "$LINES"
    echo "built $(wc -l < "$NAMES_FILE") sounds in $OUT"
fi
verify
