#!/bin/bash
# Draws the main window's skin: background, page buttons, links, window
# buttons and the sibling banner, into Client/res/shell. (The program's icon
# comes with the kit's art.)
# Sizes are the pixel sizes of the template's controls at the template font
# (6 x 13 base units). Run it again after changing a colour or a caption; the
# results are committed so that a build needs no ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/shell"
mkdir -p "$out"

. "$here/art/palette.sh"

# Background 129: rounded window on the colour key, header band, left
# column and page area. The corners are cut without antialiasing, so every
# pixel outside is exactly the key.
convert -size 692x395 "xc:$page" \
  \( -size 692x62 "gradient:$header_top-$header_bottom" \) -geometry +0+0 -composite \
  -fill "$panel" -draw "rectangle 0,63 181,394" \
  -fill '#c9d6e3' -draw "rectangle 182,63 182,394" -draw "rectangle 0,62 691,62" \
  -fill white -draw "circle 30,31 30,14" -fill "$header_top" -draw "circle 30,31 30,20" \
  -stroke white -strokewidth 4 -draw "line 34,36 44,46" -stroke none \
  -font "$bold" -pointsize 24 -fill white -annotate +54+40 'Quillomar' \
  -font "$font" -pointsize 10 -fill '#cfe2f3' -annotate +190+40 'Registry cleaner and system tidy-up' \
  "$out/content.png"
convert -size 692x395 xc:black +antialias -fill white -draw "roundrectangle 0,0 691,394 12,12" "$out/mask.png"
convert -size 692x395 "xc:$key" "$out/content.png" "$out/mask.png" -composite \
  -alpha off -type truecolor "BMP3:$out/129.bmp"
rm -f "$out/content.png" "$out/mask.png"

# A page button: rounded face with a caption; the disabled face marks the
# page on show.
page_button() {
  local name=$1 face=$2 text=$3 glyph=$4 caption=$5
  save "$name" -size 165x33 "xc:$panel" \
    -fill "$face" -stroke '#b7c7d7' -draw "roundrectangle 0,0 164,32 6,6" -stroke none \
    -fill "$glyph" -draw "roundrectangle 9,8 25,24 3,3" \
    -font "$bold" -pointsize 11 -fill "$text" -annotate +34+21 "$caption"
}
buttons=("135 136 137|Scan Registry" "371 370 372|Registry Defrag" "193 194 195|Backup & Restore"
         "138 140 139|Startup Manager" "131 133 132|Scan Results")
for entry in "${buttons[@]}"; do
  ids=${entry%%|*}; caption=${entry#*|}
  read -r normal disabled hov <<<"$ids"
  page_button "$normal.bmp" white "$ink" "$accent" "$caption"
  page_button "$hov.bmp" "$hover" "$ink" "$accent" "$caption"
  page_button "$disabled.bmp" "$accent" white white "$caption"
done

# Links on the header: plain text, underlined under the mouse. The band
# behind each link is the header colour at that height.
link() {
  local normal=$1 hov=$2 width=$3 caption=$4
  local band="\( -size ${width}x62 gradient:$header_top-$header_bottom -crop ${width}x18+0+36 +repage \)"
  eval save "$normal.bmp" "$band" -font "$font" -pointsize 10 -fill white -gravity center -annotate +0+0 "'$caption'"
  eval save "$hov.bmp" "$band" -font "$bold" -pointsize 10 -fill white -gravity center -annotate +0+0 "'$caption'" \
    -gravity northwest -fill white -draw "'rectangle 6,16 $((width - 7)),16'"
}
link 141 143 65 Settings
link 218 219 39 Help
link 161 162 59 Update
link 397 398 75 About

# Window buttons at the top edge.
top_band="\( -size 44x62 gradient:$header_top-$header_bottom -crop 44x18+0+2 +repage \)"
eval save 145.bmp "\( -size 27x62 gradient:$header_top-$header_bottom -crop 27x18+0+2 +repage \)" \
  -fill white -draw "'rectangle 8,12 18,13'"
eval save 157.bmp "\( -size 27x62 gradient:$header_top-$header_bottom -crop 27x18+0+2 +repage \)" \
  -fill "'#ffffff40'" -draw "'rectangle 0,0 26,17'" -fill white -draw "'rectangle 8,12 18,13'"
eval save 144.bmp "$top_band" -stroke white -strokewidth 2 -draw "'line 17,4 27,14'" -draw "'line 27,4 17,14'"
eval save 158.bmp "$top_band" -fill "'#c42b1c'" -draw "'rectangle 0,0 43,17'" \
  -stroke white -strokewidth 2 -draw "'line 17,4 27,14'" -draw "'line 27,4 17,14'"
save 146.bmp -size 29x16 "gradient:$header_top-$header_top"

# The sibling product's banner.
banner() {
  local name=$1 top=$2 bottom=$3
  save "$name" -size 170x68 "gradient:$top-$bottom" \
    -fill none -stroke '#ffffff80' -draw "roundrectangle 1,1 168,66 6,6" -stroke none \
    -font "$bold" -pointsize 15 -fill white -annotate +12+28 'Kestrune' \
    -font "$font" -pointsize 9 -fill white -annotate +12+46 'Make your PC start faster' \
    -font "$font" -pointsize 8 -fill '#ffe9b0' -annotate +12+60 'Learn more >'
}
banner 375.bmp '#8a4b0f' '#c8741c'
banner 376.bmp '#a85c14' '#e08a2a'

echo "drawn into $out"
