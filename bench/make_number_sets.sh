#!/usr/bin/env bash
# Number commands said alone, for the number slots: no recordings of them
# exist here, so espeak-ng's Mandarin voice reads them from pinyin, in five
# voices (kind, pitch, speed). Three sets, all kept aside (nothing was tuned
# on them): phrases of the slots recognition_eval's `numbers` listens for
# (each should act with its own number), the same phrases said with a number
# outside the range, and sentences full of numbers (neither should act).
# Synthetic speech is cleaner than a person's: the figures are a floor for
# confusions between numbers, not a measure of detection in a room.
#
#   bench/make_number_sets.sh [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/build/speech-sets}
command -v espeak-ng >/dev/null || { echo "espeak-ng is needed" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is needed" >&2; exit 1; }
rm -rf "$out"/number-{commands,outside,talk}
mkdir -p "$out"/number-{commands,outside,talk}/held

digits_hanzi=(零 一 二 三 四 五 六 七 八 九)
digits_pinyin=(ling2 yi1 er4 san1 si4 wu3 liu4 qi1 ba1 jiu3)
hanzi() { # how n (0–99) is written, as the slots say it
  local n=$1
  if ((n < 10)); then echo "${digits_hanzi[n]}"; return; fi
  local tens="" ones=""
  ((n >= 20)) && tens=${digits_hanzi[n / 10]}
  ((n % 10)) && ones=${digits_hanzi[n % 10]}
  echo "${tens}十${ones}"
}
pinyin() {
  local n=$1
  if ((n < 10)); then echo "${digits_pinyin[n]}"; return; fi
  local tens="" ones=""
  ((n >= 20)) && tens="${digits_pinyin[n / 10]} "
  ((n % 10)) && ones=" ${digits_pinyin[n % 10]}"
  echo "${tens}shi2${ones}"
}

voices=("m3 40 150" "f2 60 170" "klatt 50 140" "f4 70 190" "m7 30 160")
say() { # set name text-in-pinyin phrase
  local v=0
  for voice in "${voices[@]}"; do
    read -r variant pitch speed <<<"$voice"
    v=$((v + 1))
    local file="$2-v$v.wav"
    espeak-ng -v "cmn-latn-pinyin+$variant" -p "$pitch" -s "$speed" -w "$out/$1/held/raw.wav" "$3"
    sox "$out/$1/held/raw.wav" -r 16000 -c 1 -b 16 "$out/$1/held/$file" pad 0.5 0.8
    printf '%s\t%s\n' "$file" "$4" >>"$out/$1/held/words.tsv"
  done
  rm -f "$out/$1/held/raw.wav"
}
k=0
clip() { k=$((k + 1)); say "$1" "$(printf 'n%03d' $k)" "$2" "$3"; }

# [1-9]号部队过来, 选择[1-9]号部队, 第[1-99]张 (a spread of its range), [2-8]倍速度 with 两 and 二.
for n in 1 2 3 4 5 6 7 8 9; do
  clip number-commands "$(pinyin $n) hao4 bu4 dui4 guo4 lai2" "$(hanzi $n)号部队过来"
  clip number-commands "xuan3 ze2 $(pinyin $n) hao4 bu4 dui4" "选择$(hanzi $n)号部队"
done
for n in 1 2 3 4 5 6 7 8 9 10 11 12 15 20 21 34 47 56 68 79 83 90 99; do
  clip number-commands "di4 $(pinyin $n) zhang1" "第$(hanzi $n)张"
done
clip number-commands "liang3 bei4 su4 du4" "两倍速度"
for n in 2 3 4 5 6 7 8; do clip number-commands "$(pinyin $n) bei4 su4 du4" "$(hanzi $n)倍速度"; done

# Outside the ranges: nothing should act.
for n in 0 10 11; do
  clip number-outside "$(pinyin $n) hao4 bu4 dui4 guo4 lai2" "$(hanzi $n)号部队过来"
  clip number-outside "xuan3 ze2 $(pinyin $n) hao4 bu4 dui4" "选择$(hanzi $n)号部队"
done
clip number-outside "di4 ling2 zhang1" "第零张"
for n in 1 9 10; do clip number-outside "$(pinyin $n) bei4 su4 du4" "$(hanzi $n)倍速度"; done

# Talk full of numbers, some with a whole command inside: nothing should act.
while IFS=$'\t' read -r text said; do clip number-talk "$said" "$text"; done <<'EOF'
我第一次去的时候三个人一起	wo3 di4 yi1 ci4 qu4 de5 shi2 hou4 san1 ge4 ren2 yi1 qi3
一共三百零五个	yi1 gong4 san1 bai3 ling2 wu3 ge4
他是三号选手跑得很快	ta1 shi4 san1 hao4 xuan3 shou3 pao3 de5 hen3 kuai4
第十二张照片很好看	di4 shi2 er4 zhang1 zhao4 pian4 hen3 hao3 kan4
这部电影我看的是两倍速度的版本	zhe4 bu4 dian4 ying3 wo3 kan4 de5 shi4 liang3 bei4 su4 du4 de5 ban3 ben3
五号部队过来的时候我们已经走了	wu3 hao4 bu4 dui4 guo4 lai2 de5 shi2 hou4 wo3 men5 yi3 jing1 zou3 le5
今年二十三岁明年二十四岁	jin1 nian2 er4 shi2 san1 sui4 ming2 nian2 er4 shi2 si4 sui4
七月八号下午三点	qi1 yue4 ba1 hao4 xia4 wu3 san1 dian3
EOF
echo "number sets in $out"
