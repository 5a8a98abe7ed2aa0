#!/usr/bin/env bash
# Evaluates the PocketSphinx fallback engine on synthetic Mandarin: makes the
# test audio with espeak-ng and sox (once, cached in build/sphinx-eval/), then
# runs build/bench/sphinx_eval on it. Four synthetic speakers are for tuning,
# eight others for the report.
#
#   bench/sphinx_eval.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
out=$build/sphinx-eval
mkdir -p "$out/wav"

# 20 commands of a game vocabulary, then speech that is none of them.
commands=(城堡 兵营 马厩 船坞 攻击 撤退 一号部队 二号部队 三号部队 地图左移
  地图右移 全体撤退 上一张 下一张 打开背包 保存游戏 选择全部 建造农场 回城 暂停)
sentences=(今天天气很好 我们明天去看电影吧 这个问题比较复杂 请把窗户关上 他正在学习中文
  你吃饭了吗 晚上一起打游戏 音乐声音太大了 火车几点出发 我不知道怎么办)
words=(好 是 不要 谢谢 对 什么 快 喂)
# voice variant, pitch, speed; the first four tune, the rest report.
speakers=(m3:50:175 f2:60:160 klatt:40:190 f4:70:150
  m7:30:140 f1:50:210 m1:45:175 f5:65:185 klatt3:55:165 m2:35:200 f3:55:150 m5:50:180)

manifest=$out/manifest.tsv
if [ ! -f "$manifest" ]; then
  tmp=$out/manifest.tmp
  : >"$tmp"
  say() {  # say FILE TEXT VARIANT PITCH SPEED
    [ -f "$1" ] && return
    # espeak reads 地 as "de"; the phrases mean dì.
    espeak-ng -v "cmn-latn-pinyin+$3" -p "$4" -s "$5" -w "$1.raw.wav" "${2//地/di4}"
    sox -q -V1 "$1.raw.wav" -r 16000 -c 1 -b 16 "$1" pad 0.3 0.2 2>/dev/null
    rm -f "$1.raw.wav"
  }
  # Pink noise at a signal-to-noise ratio measured on the speech's RMS.
  noisy() {  # noisy CLEAN OUT SNR
    [ -f "$2" ] && return
    local rms len noise_rms gain
    rms=$(sox "$1" -n stat 2>&1 | awk '/RMS     amplitude/ {print $3}')
    len=$(soxi -D "$1")
    sox -q -n -r 16000 -c 1 -b 16 "$2.noise.wav" synth "$len" pinknoise vol 0.1
    noise_rms=$(sox "$2.noise.wav" -n stat 2>&1 | awk '/RMS     amplitude/ {print $3}')
    gain=$(awk -v s="$rms" -v n="$noise_rms" -v snr="$3" 'BEGIN {print s / n / 10 ^ (snr / 20)}')
    sox -q -m "$1" -v "$gain" "$2.noise.wav" "$2" 2>/dev/null
    rm -f "$2.noise.wav"
  }
  for si in "${!speakers[@]}"; do
    IFS=: read -r variant pitch speed <<<"${speakers[$si]}"
    set_name=report
    ((si < 4)) && set_name=tune
    for ci in "${!commands[@]}"; do
      clean=$out/wav/s${si}_c${ci}.wav
      say "$clean" "${commands[$ci]}" "$variant" "$pitch" "$speed"
      printf '%s\t%s\tclean\tcommand\t%s\n' "$clean" "$set_name" "${commands[$ci]}" >>"$tmp"
      for snr in 20 10; do
        noisy "$clean" "$out/wav/s${si}_c${ci}_${snr}dB.wav" "$snr"
        printf '%s\t%s\t%sdB\tcommand\t%s\n' "$out/wav/s${si}_c${ci}_${snr}dB.wav" "$set_name" "$snr" \
          "${commands[$ci]}" >>"$tmp"
      done
    done
    for k in "${!sentences[@]}"; do
      f=$out/wav/s${si}_o${k}.wav
      say "$f" "${sentences[$k]}" "$variant" "$pitch" "$speed"
      printf '%s\t%s\tclean\tsentence\t-\n' "$f" "$set_name" >>"$tmp"
    done
    for k in "${!words[@]}"; do
      f=$out/wav/s${si}_w${k}.wav
      say "$f" "${words[$k]}" "$variant" "$pitch" "$speed"
      printf '%s\t%s\tclean\tword\t-\n' "$f" "$set_name" >>"$tmp"
    done
  done
  # Non-speech: noises, a hum, a whistle sweep, knocks.
  k=0
  for effect in "synth 1.5 pinknoise vol 0.3" "synth 1.0 whitenoise vol 0.2" "synth 2.0 brownnoise vol 0.5" \
    "synth 1.0 sine 100 vol 0.3" "synth 1.2 sine 600-2400 vol 0.2" "synth 0.05 square 80 vol 0.8 pad 0 0.4 repeat 3" \
    "synth 0.8 pinknoise vol 0.05" "synth 1.0 sine 1000 vol 0.1" "synth 0.3 whitenoise vol 0.6 fade 0 0.3 0.28"; do
    for set_name in tune report; do
      f=$out/wav/n${k}_$set_name.wav
      # shellcheck disable=SC2086
      [ -f "$f" ] || sox -q -n -r 16000 -c 1 -b 16 "$f" $effect pad 0.3 0.2
      printf '%s\t%s\tclean\tnoise\t-\n' "$f" "$set_name" >>"$tmp"
    done
    k=$((k + 1))
  done
  mv "$tmp" "$manifest"
fi

"$build/bench/sphinx_eval" "$manifest" "${commands[@]}" "$@"
