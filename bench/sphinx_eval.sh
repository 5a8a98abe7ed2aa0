#!/usr/bin/env bash
# Evaluates the PocketSphinx fallback engine on real recordings with every
# shipped phrase listening: commands said alone (right / wrong / missed) and
# false actions per 10 minutes of talk, game sound and music, talk over game
# sound, and synthetic talk. Each set has a half to tune on and a half kept
# aside (other speakers, other music and effects). Makes the mixed and
# synthetic audio once (cached in BUILD/sphinx-eval/), then runs
# BUILD/bench/sphinx_eval on it.
#
#   bench/sphinx_eval.sh [build-dir] [sphinx_eval options...]
#   SPEECH_DIR: the development recordings (default ../shared/speech beside the checkout)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
speech=${SPEECH_DIR:-$(cd .. && pwd)/shared/speech}
out=$build/sphinx-eval
mkdir -p "$out/wav"

# Talk and short words that hold no shipped phrase, for espeak-ng's pinyin voice.
sentences_tune=(我们先去打野吧 你那边怎么样了 等一下我马上回来 这局打得不错 今天晚上还玩不玩
  他的装备比我们好多了 我觉得这个英雄太强了 快点过来帮忙 你们谁有多余的金币 刚才那一波真险)
sentences_aside=(明天早上几点开会 我想喝一杯咖啡 这个月的房租交了没有 外面下雨了记得带伞
  周末我们去公园散步 你最近工作忙不忙 晚饭想吃什么 孩子们都放学回家了 这本书写得很有意思 别忘了给妈妈打电话)
words_tune=(好 对 谢谢 不要 快点 嗯)
words_aside=(是的 什么 喂 等等 走吧 哎呀)
voices_tune=(m3:50:175 f2:60:160 klatt:40:190)
voices_aside=(m7:30:140 f5:65:185 m2:35:200)

say() { # say FILE TEXT VOICE:PITCH:SPEED
  [ -f "$1" ] && return
  local variant pitch speed
  IFS=: read -r variant pitch speed <<<"$3"
  espeak-ng -v "cmn-latn-pinyin+$variant" -p "$pitch" -s "$speed" -w "$1.raw.wav" "$2"
  sox -q -V1 "$1.raw.wav" -r 16000 -c 1 -b 16 "$1" pad 0.3 0.3 2>/dev/null
  rm -f "$1.raw.wav"
}

rms_db() { sox "$1" -n stats 2>&1 | awk '/RMS lev dB/ {print $4}'; }

# Talk with game music under it, the music 5 dB below the talk (RMS over the file).
over_music() { # over_music TALK MUSIC OFFSET OUT
  [ -f "$4" ] && return
  local len gain
  len=$(soxi -D "$1")
  gain=$(awk -v t="$(rms_db "$1")" -v m="$(rms_db "$2")" 'BEGIN {print t - m - 5}')
  sox -q "$2" "$4.music.wav" trim "$3" "$len" gain "$gain"
  sox -q -m "$1" "$4.music.wav" "$4"
  rm -f "$4.music.wav"
}

# Game effects one after another, at full level and 12 dB lower, 0.7 s apart.
effects_track() { # effects_track OUT EFFECT...
  local out=$1
  shift
  [ -f "$out" ] && return
  local parts=()
  for e in "$@"; do
    for g in 0 -12; do
      sox -q "$e" "$out.$(basename "$e").$g.wav" gain "$g" pad 0 0.7
      parts+=("$out.$(basename "$e").$g.wav")
    done
  done
  sox -q "${parts[@]}" "$out"
  rm -f "${parts[@]}"
}

manifest=$out/manifest.tsv
if [ ! -f "$manifest" ]; then
  tmp=$out/manifest.tmp
  : >"$tmp"
  row() { printf '%s\t%s\t%s\t%s\n' "$@" >>"$tmp"; }
  half_of_speaker() { case $1 in *s01 | *s03 | *s05 | *s07 | *s09 | S0150) echo tune ;; *) echo aside ;; esac }

  tail -n +2 "$speech/dev-commands/index.tsv" | while IFS=$'\t' read -r file phrase _ speaker _; do
    row "$speech/dev-commands/$file" "$(half_of_speaker "$speaker")" command "$phrase"
  done
  music_tune=$speech/dev-sounds/music_happy_lofi_day.wav
  music_aside=$speech/dev-sounds/music_oceanside.wav
  k=0
  tail -n +2 "$speech/dev-negatives/index.tsv" | while IFS=$'\t' read -r file _ _ speaker; do
    half=$(half_of_speaker "$speaker")
    row "$speech/dev-negatives/$file" "$half" talk -
    music=$music_tune
    [ "$half" = aside ] && music=$music_aside
    mixed=$out/wav/over_$file
    over_music "$speech/dev-negatives/$file" "$music" "$(((k * 7) % 50))" "$mixed"
    row "$mixed" "$half" talk+sound -
    k=$((k + 1))
  done
  row "$music_tune" tune sound -
  row "$music_aside" aside sound -
  effects_track "$out/wav/effects_tune.wav" "$speech"/dev-sounds/city_*.wav
  effects_track "$out/wav/effects_aside.wav" "$speech"/dev-sounds/fps_*.wav
  row "$out/wav/effects_tune.wav" tune sound -
  row "$out/wav/effects_aside.wav" aside sound -

  # Sound made here: noises, hums, whistles, knocks, plucked melodies.
  k=0
  for effect in "synth 3 pinknoise vol 0.3" "synth 2 brownnoise vol 0.5 tremolo 3 80" \
    "synth 2 sine 120 vol 0.3" "synth 2.5 sine 500-2500 vol 0.2" \
    "synth 0.05 square 80 vol 0.8 pad 0 0.3 repeat 6" "synth 0.4 pluck C4 pluck E4 pluck G4 vol 0.4 repeat 4" \
    "synth 2 whitenoise vol 0.2 fade 0.5 2 0.5" "synth 2 sawtooth 220 vol 0.1 tremolo 6 60" \
    "synth 0.2 whitenoise vol 0.6 fade 0 0.2 0.18 pad 0 0.5 repeat 3" \
    "synth 0.3 pluck A3 pluck C4 pluck E4 vol 0.5 pad 0 0.1 repeat 5"; do
    half=tune
    ((k % 2)) && half=aside
    f=$out/wav/noise$k.wav
    # shellcheck disable=SC2086
    [ -f "$f" ] || sox -q -n -r 16000 -c 1 -b 16 "$f" $effect pad 0.3 0.3
    row "$f" "$half" sound -
    k=$((k + 1))
  done

  # Two minutes of made game sound per half: a plucked tune, a drone, and
  # bursts of noise like shots and explosions, at changing levels.
  for half in tune aside; do
    f=$out/wav/made_sound_$half.wav
    if [ ! -f "$f" ]; then
      notes="C4 E4 G4 B4"
      [ "$half" = aside ] && notes="A3 D4 F4 A4"
      parts=()
      for k in $(seq 0 59); do
        p=$out/wav/made_${half}_$k.wav
        # shellcheck disable=SC2086
        sox -q -n -r 16000 -c 1 -b 16 "$p.tune.wav" synth 0.25 pluck ${notes// / pluck } vol 0.3 repeat 4
        sox -q -n -r 16000 -c 1 -b 16 "$p.drone.wav" synth "$(soxi -D "$p.tune.wav")" sawtooth $((60 + k * 7)) \
          vol 0.05 tremolo $((2 + k % 5)) 50
        sox -q -n -r 16000 -c 1 -b 16 "$p.burst.wav" synth 0.$((2 + k % 6)) brownnoise vol 0.6 fade 0 0.$((2 + k % 6)) 0.15 \
          pad $((k % 3)).$((k % 10)) 0
        sox -q -m "$p.tune.wav" "$p.drone.wav" "$p.burst.wav" "$p" gain -$(((k * 5) % 20)) 2>/dev/null
        rm -f "$p".*.wav
        parts+=("$p")
      done
      sox -q "${parts[@]}" "$f"
      rm -f "${parts[@]}"
    fi
    row "$f" "$half" made-sound -
  done

  for half in tune aside; do
    declare -n sentences=sentences_$half words=words_$half voices=voices_$half
    for vi in "${!voices[@]}"; do
      for k in "${!sentences[@]}"; do
        f=$out/wav/${half}_v${vi}_s$k.wav
        say "$f" "${sentences[$k]}" "${voices[$vi]}"
        row "$f" "$half" synthetic -
      done
      for k in "${!words[@]}"; do
        f=$out/wav/${half}_v${vi}_w$k.wav
        say "$f" "${words[$k]}" "${voices[$vi]}"
        row "$f" "$half" synthetic -
      done
    done
    unset -n sentences words voices
  done
  mv "$tmp" "$manifest"
fi

"$build/bench/sphinx_eval" "$manifest" "$@"
