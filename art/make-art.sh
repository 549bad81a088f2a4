#!/usr/bin/env bash
# Draws Vorlix's pictures, icon and cursor with ImageMagick. The PNG files are
# what the Qt build embeds; the BMP, ICO and CUR files are the same pictures in
# the forms a Windows resource script takes. Run again after changing a
# picture and commit the results.
set -euo pipefail
cd "$(dirname "$0")"

font=DejaVu-Sans-Bold
red='#FF0000'
deep='#9C0000'

# The banner: the name in outlined letters on red.
convert -size 290x31 "xc:$red" \
  -font "$font" -pointsize 25 -gravity center \
  -fill "$deep" -stroke white -strokewidth 1.6 -annotate +0+0 'Vorlix' \
  -strip -depth 8 PNG32:banner.png

# A word picture: a rounded plate with a light rim and the word on it. Outside
# the plate it is transparent, so the window's background shows around it.
word() {  # file width height plate-colour text-colour word pointsize
  convert -size "$2x$3" xc:none \
    -fill "$4" -stroke white -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 $(($2 - 1)).5,$(($3 - 1)).5 5,5" \
    -font "$font" -pointsize "$7" -gravity center -stroke none -fill "$5" \
    -annotate +0+0 "$6" \
    -strip -depth 8 "PNG32:$1"
}
word add.png 61 21 "$deep" white Add 12
word remove.png 106 22 "$deep" white Remove 12
word active.png 92 29 '#007A00' white Active 15
word suspended.png 149 29 '#C8B400' black Suspended 15

# The main window's background: red at the top left shading to white at the
# bottom right.
convert -size 438x337 -define gradient:direction=SouthEast "gradient:$red-white" \
  -strip -depth 8 PNG32:background.png

# The icon: a red plate with a window whose title bar is struck through.
convert -size 32x32 xc:none \
  -fill "$red" -stroke "$deep" -strokewidth 1 -draw 'roundrectangle 0.5,0.5 31.5,31.5 6,6' \
  -fill white -stroke none -draw 'rectangle 6,8 25,24' \
  -fill "$deep" -draw 'rectangle 6,8 25,11' \
  -stroke "$deep" -strokewidth 3 -draw 'line 10,14 21,22' -draw 'line 21,14 10,22' \
  -strip -depth 8 PNG32:icon.png

# The pointing hand: white with a black rim, the index finger's tip at (5, 0).
convert -size 32x32 xc:none \
  -fill white -stroke black -strokewidth 1 \
  -draw 'path "M 3.5,2.5 Q 3.5,0.5 5.5,0.5 Q 7.5,0.5 7.5,2.5 L 7.5,11.5 L 9.5,10.5 Q 11.5,10.5 11.5,12.5 L 13.5,11.5 Q 15.5,11.5 15.5,13.5 L 17.5,12.5 Q 19.5,12.5 19.5,14.5 L 19.5,21.5 Q 19.5,25.5 16.5,28.5 L 16.5,30.5 L 6.5,30.5 L 6.5,28.5 Q 1.5,23.5 0.5,17.5 Q 0.5,15.5 2.5,15.5 L 3.5,17.5 Z"' \
  -stroke black -draw 'line 11.5,13.5 11.5,18.5' -draw 'line 15.5,14.5 15.5,18.5' \
  -strip -depth 8 PNG32:hand.png

# Windows forms of the same pictures. The opaque ones as 24-bit bitmaps; the
# word pictures keep their transparency as 32-bit bitmaps whose colours are
# multiplied by their alpha, the form AlphaBlend draws.
for p in banner background; do
  convert "$p.png" -background white -flatten -alpha off "BMP3:$p.bmp"
done
for p in add remove active suspended; do
  convert "$p.png" -channel RGB -fx 'u*u.a' +channel -define bmp3:alpha=true "BMP3:$p.bmp"
done
convert icon.png -define icon:auto-resize=32 icon.ico
convert hand.png cursor.tmp.ico
# A cursor file is an icon file of type 2 whose entry carries the hot spot
# where an icon keeps its planes and bit count.
{
  head -c 2 cursor.tmp.ico
  printf '\x02\x00'
  tail -c +5 cursor.tmp.ico | head -c 6
  printf '\x05\x00\x00\x00'  # hot spot (5, 0): the fingertip
  tail -c +15 cursor.tmp.ico
} > hand.cur
rm cursor.tmp.ico
