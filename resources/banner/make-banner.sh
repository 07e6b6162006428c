#!/bin/sh
# Redraws banner.jpg: the 640 x 60 picture of the banner strip. Baseline (not progressive),
# full-resolution colour (no chroma subsampling); the quality is chosen for about 13 KB.
set -eu
font=/usr/share/fonts/truetype/arphic/uming.ttc
cd "$(dirname "$0")"
convert -size 640x60 gradient:'#1f6f8b'-'#7fd1b9' \
    \( -size 640x60 gradient:'#ffffff00'-'#ffffff40' \) -compose over -composite \
    -font "$font" -pointsize 34 \
    -fill '#0b3d4f' -annotate +20+46 '青岚学堂答题器' \
    -fill white -annotate +18+44 '青岚学堂答题器' \
    -fill '#fff6c8' -pointsize 20 -annotate +330+30 '粘贴题目 · 即刻查答案' \
    -fill '#e8fbff' -pointsize 13 -annotate +330+50 '点击此处下载最新版本与使用教程' \
    -strip -interlace none -sampling-factor 1x1 -quality 85 -colorspace sRGB -type TrueColor \
    banner.jpg
