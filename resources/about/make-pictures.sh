#!/bin/sh
# Rebuilds the contact dialog's pictures: the logo and the two payment QR codes, which encode
# the maker's payment pages under the site root. Needs ImageMagick, qrencode and the AR PL
# UMing font (fonts-arphic-uming).
# Usage: make-pictures.sh [SITE_ROOT]
set -eu
root=${1:-http://www.qinglan.example}
here=$(dirname "$0")
font=/usr/share/fonts/truetype/arphic/uming.ttc
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Logo: 300 x 90, RGBA, the name on a transparent ground with a rounded teal badge.
convert -size 300x90 xc:none \
    -fill '#1f7a8c' -draw 'roundrectangle 4,8 86,82 16,16' \
    -fill white -font "$font" -pointsize 54 -gravity northwest -annotate +18+14 '青' \
    -fill '#1f4e5f' -font "$font" -pointsize 46 -annotate +96+20 '青岚学堂' \
    PNG32:"$here/logo.png"

# Alipay tip page: 256 x 256 with alpha. White modules and quiet zone, transparent margin.
qrencode -l M -s 7 -m 2 -o "$tmp/alipay.png" "$root/pay/alipay"
convert "$tmp/alipay.png" -background none -gravity center -extent 256x256 \
    PNG32:"$here/alipay-qr.png"

# WeChat tip page: 200 x 200 RGB without alpha.
qrencode -l M -s 6 -m 2 -o "$tmp/wechat.png" "$root/pay/wechat"
convert "$tmp/wechat.png" -background white -gravity center -extent 200x200 -alpha off \
    PNG24:"$here/wechat-qr.png"
