#!/usr/bin/env bash
# Builds the derived evaluation sets from the development recordings (never
# committed): talk over game sound, commands over game sound, commands inside
# running talk, effect trains and synthetic noises. Each set has a tuning half
# and a half kept aside, split by speaker (and by track for the music).
#
#   bench/make_speech_sets.sh [SPEECH_DIR] [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src=${1:-${QUILLON_SPEECH_DATA:-$here/../shared/speech}}
out=${2:-$here/build/speech-sets}
[ -d "$src/dev-commands" ] || { echo "no recordings in $src" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is needed" >&2; exit 1; }
# Dither and noise from a fixed seed: the same sets, clip for clip, on every run.
export SOX_OPTS="-R"
rm -rf "$out"
mkdir -p "$out"

half_of_speaker() { # tuning half: command speakers s01 s03 …, narrowband nb_s01 nb_s03 nb_s05, talk S0150
  case $1 in dsp20_s0[13579] | nb_s0[135] | S0150) echo tune ;; *) echo held ;; esac
}
music_for() { [ "$1" = tune ] && echo music_happy_lofi_day || echo music_oceanside; }
effects_for() { [ "$1" = tune ] && echo "city_placement-c city_removal-c city_rotate city_toggle city_placement-d city_removal-d" ||
  echo "fps_jump_b fps_jump_c fps_land"; }
seconds() { soxi -D "$1"; }

rms() { sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }

# A slice of the half's music, as long as `file` and starting at `offset`,
# mixed under it `snr` dB below the file's own level.
music_under() { # file half offset snr target
  local len music gain
  len=$(seconds "$1")
  music="$src/dev-sounds/$(music_for "$2").wav"
  gain=$(awk -v s="$(rms "$1")" -v m="$(rms "$music")" -v snr="$4" 'BEGIN {printf "%.2f", 20 * log(s / m) / log(10) - snr}')
  sox "$music" -p trim "$3" "$len" gain "$gain" | sox -m -v 1 "$1" -v 1 - -r 16000 -c 1 -b 16 "$5"
}

for half in tune held; do mkdir -p "$out"/{talk,talk-sound,commands,commands-sound,sentences}/$half; done

# Talk, and talk over the game music of its half (music 6 dB below the talk).
n=0
tail -n +2 "$src/dev-negatives/index.tsv" | while IFS=$'\t' read -r file _ transcript speaker; do
  half=$(half_of_speaker "$speaker")
  ln -sf "$src/dev-negatives/$file" "$out/talk/$half/$file"
  # What is said: the numbers in it are phrases of the number slots that talk says.
  printf '%s\t%s\n' "$file" "$transcript" >>"$out/talk/$half/transcripts.tsv"
  n=$((n + 1))
  music_under "$src/dev-negatives/$file" "$half" $(((n * 7) % 45)) 6 "$out/talk-sound/$half/$file"
done

# Commands said alone, and the same over game music (12 dB below the clip).
n=0
tail -n +2 "$src/dev-commands/index.tsv" | while IFS=$'\t' read -r file word _ speaker _; do
  half=$(half_of_speaker "$speaker")
  ln -sf "$src/dev-commands/$file" "$out/commands/$half/$file"
  printf '%s\t%s\n' "$file" "$word" >>"$out/commands/$half/words.tsv"
  printf '%s\t%s\n' "$file" "$word" >>"$out/commands-sound/$half/words.tsv"
  n=$((n + 1))
  music_under "$src/dev-commands/$file" "$half" $(((n * 5) % 55)) 12 "$out/commands-sound/$half/$file"
done

# More takes of the same commands by the same speakers, and takes made at 8 kHz by
# other speakers (FLAC in the recordings' folder; the decoders read WAV).
takes_set() { # source folder, set name
  [ -f "$src/$1/index.tsv" ] || return 0
  for half in tune held; do mkdir -p "$out/$2/$half"; done
  tail -n +2 "$src/$1/index.tsv" | while IFS=$'\t' read -r file word speaker _; do
    half=$(half_of_speaker "$speaker")
    sox "$src/$1/$file" -r 16000 -c 1 -b 16 "$out/$2/$half/${file%.flac}.wav"
    printf '%s\t%s\n' "${file%.flac}.wav" "$word" >>"$out/$2/$half/words.tsv"
  done
}
takes_set dev-takes takes
takes_set dev-narrowband narrowband

# The same more takes as a headset in hands-free mode passes them: sampled at
# 8 kHz, nothing above 4 kHz. The speakers' full-band takes tell what that costs.
for half in tune held; do
  [ -d "$out/takes/$half" ] || continue
  mkdir -p "$out/takes-8k/$half"
  cp "$out/takes/$half/words.tsv" "$out/takes-8k/$half/"
  for f in "$out/takes/$half"/*.wav; do
    sox -V1 "$f" -r 8000 -p | sox -V1 -p -r 16000 -b 16 "$out/takes-8k/$half/$(basename "$f")"
  done
done

# Commands inside running talk: a sentence, the command, another sentence, with
# no pause around the command (for the spotting mode's detection).
for half in tune held; do
  mapfile -t talk < <(ls "$out/talk/$half"/*.wav)
  i=0
  while IFS=$'\t' read -r file word; do
    a=${talk[$((i % ${#talk[@]}))]}
    b=${talk[$(((i + 7) % ${#talk[@]}))]}
    # The recordings have silence around the speech: trim it where they meet so
    # the word runs into the talk, as in a sentence.
    sox "$a" "$out/a.wav" reverse silence 1 0.02 2% reverse
    sox "$out/commands/$half/$file" "$out/c.wav" silence 1 0.02 2% reverse silence 1 0.02 2% reverse
    sox "$b" "$out/b.wav" silence 1 0.02 2%
    sox "$out/a.wav" "$out/c.wav" "$out/b.wav" -r 16000 -c 1 -b 16 "$out/sentences/$half/$file"
    printf '%s\t%s\n' "$file" "$word" >>"$out/sentences/$half/words.tsv"
    # What the talk around the command says, as for the talk itself.
    said=$(for t in "$a" "$b"; do awk -F'\t' -v f="$(basename "$t")" '$1 == f {printf "%s", $2}' "$out/talk/$half/transcripts.tsv"; done)
    printf '%s\t%s\n' "$file" "$said" >>"$out/sentences/$half/transcripts.tsv"
    i=$((i + 1))
  done <"$out/commands/$half/words.tsv"
done
rm -f "$out/a.wav" "$out/b.wav" "$out/c.wav"

# Commands said quietly, the loudest sample near -30 dBFS (a far or weak microphone).
for half in tune held; do
  mkdir -p "$out/commands-quiet/$half"
  cp "$out/commands/$half/words.tsv" "$out/commands-quiet/$half/"
  for f in "$out/commands/$half"/*.wav; do sox "$f" "$out/commands-quiet/$half/$(basename "$f")" gain -n -30; done
done

# Game sound alone: each half's music, and its effects in trains at two levels.
for half in tune held; do
  d=$out/sounds/$half
  mkdir -p "$d"
  ln -sf "$src/dev-sounds/$(music_for $half).wav" "$d/music.wav"
  parts=()
  for e in $(effects_for $half); do parts+=("$src/dev-sounds/$e.wav" "$out/gap.wav"); done
  sox -n -r 16000 -c 1 -b 16 "$out/gap.wav" trim 0 0.6
  sox "${parts[@]}" "${parts[@]}" "${parts[@]}" "${parts[@]}" "$d/effects.wav"
  sox "$d/effects.wav" "$d/effects-loud.wav" gain -n -1
done
rm -f "$out/gap.wav"

# Our own noises: steady and fluctuating, quiet and loud (both halves alike).
for half in tune held; do
  d=$out/noise/$half
  mkdir -p "$d"
  seed=$([ $half = tune ] && echo 1 || echo 2)
  sox -R -n -r 16000 -c 1 -b 16 "$d/pink-quiet.wav" synth 30 pinknoise gain -30
  sox -R -n -r 16000 -c 1 -b 16 "$d/brown-loud.wav" synth 30 brownnoise gain -8
  sox -n -r 16000 -c 1 -b 16 "$d/engine.wav" synth 30 sawtooth 70 tremolo 6 60 gain -12
  sox -n -r 16000 -c 1 -b 16 "$d/sweeps.wav" synth 2 sine 200-3000 repeat 14 gain -10
  sox -n -r 16000 -c 1 -b 16 "$d/clicks.wav" synth 0.02 square 900 pad 0 0.38 repeat 70 gain -6
  : "$seed"
done
echo "speech sets in $out"
