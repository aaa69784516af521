#!/bin/bash
# Draws the skins of the scan results page and the repair summary page into
# Client/res/results, in the main window's colours. Sizes are the pixel
# sizes of the templates' controls at the template font (6 x 13 base units).
# The results are committed so that a build needs no ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../results"
mkdir -p "$out"

. "$here/palette.sh"

# Background 367 of the results page (509 x 332): the description band, the
# frame around the findings tree and the button band at the bottom.
save 367.bmp -size 509x332 xc:white \
  -font "$font" -pointsize 9 -fill '#6b7f93' -annotate +176+24 'Findings:' \
  -fill '#f3f7fb' -stroke "$frame" -draw "roundrectangle 8,48 501,75 4,4" -stroke none \
  -fill none -stroke "$frame" -draw "rectangle 7,77 502,276" -stroke none \
  -fill "$panel" -draw "rectangle 0,280 508,331" \
  -fill "$frame" -draw "rectangle 0,280 508,280"

# A push button of the bottom band: rounded face and caption.
button() {
  local name=$1 width=$2 face=$3 text=$4 caption=$5
  save "$name" -size "${width}x28" "xc:$panel" \
    -fill "$face" -stroke '#8fa9c2' -draw "roundrectangle 0,0 $((width - 1)),27 5,5" -stroke none \
    -font "$bold" -pointsize 10 -fill "$text" -gravity center -annotate +0+0 "$caption"
}
button 202.bmp 66 "$green" white 'Repair'
button 203.bmp 66 '#237a39' white 'Repair'
button 323.bmp 66 "$green" white 'Results >'
button 325.bmp 66 '#237a39' white 'Results >'
button 320.bmp 63 white "$ink" '< Back'
button 322.bmp 63 "$hover" "$ink" '< Back'
button 356.bmp 63 white "$ink" 'Ignore'
button 357.bmp 63 "$hover" "$ink" 'Ignore'

# The two group switches: the group on show is the disabled face.
tab() {
  local name=$1 face=$2 text=$3 caption=$4
  save "$name" -size 105x24 "xc:$panel" \
    -fill "$face" -stroke '#b7c7d7' -draw "roundrectangle 0,0 104,23 4,4" -stroke none \
    -font "$bold" -pointsize 9 -fill "$text" -gravity center -annotate +0+0 "$caption"
}
tab 380.bmp white "$accent" 'Registry Errors'
tab 379.bmp "$accent" white 'Registry Errors'
tab 382.bmp white "$accent" 'Junk Files'
tab 381.bmp "$accent" white 'Junk Files'

# Pictures of the summary page: the rule under its heading, the status
# badge, a clock before the scanning time and the rule under the numbers.
save 201.bmp -size 479x5 "gradient:$accent-$hover" -rotate 90 -resize '479x5!'
save 260.bmp -size 48x48 xc:white -fill "$green" -draw "circle 24,24 24,3" \
  -stroke white -strokewidth 5 -fill none -draw "polyline 13,25 21,33 35,16"
save 311.bmp -size 16x16 xc:white -fill white -stroke "$accent" -strokewidth 1.5 -draw "circle 8,8 8,1" \
  -draw "line 8,8 8,4" -draw "line 8,8 11,9"
save 312.bmp -size 375x3 "xc:$frame"

echo "drawn into $out"
