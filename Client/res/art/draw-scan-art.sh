#!/bin/bash
# Draws the art of the home page, the scan options page and the scan
# progress page into Client/res/scan, in the main window's colours: the
# backgrounds with the captions that the pages do not draw themselves, the
# button skins and the category marks. Positions follow the templates at the
# template font (6 x 13 base units: x * 1.5, y * 1.625 pixels).
# The results are committed so that a build needs no ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../scan"
mkdir -p "$out"

. "$here/palette.sh"

# ---- Home page 134 (509 x 332) ----
captions=("ActiveX Objects" "Uninstall Entries" "Windows Fonts" "Shared DLLs" "Application Paths"
          "Help Files Information" "Windows Startup Items" "File Path References" "Program Shortcuts"
          "Empty Registry Keys" "File Associations" "Windows Services")
rows=(48 59 69 80 90 100 111 121 132 142 153 163)
args=(-size 509x332 xc:white
      -fill "$band" -stroke "$frame" -draw "roundrectangle 8,4 500,30 4,4" -stroke none
      -font "$font" -pointsize 10 -fill "$ink" -annotate +18+22 'Date and time of the last scan:'
      -fill "$accent" -draw "rectangle 8,52 500,73"
      -font "$bold" -pointsize 9 -fill white -annotate +20+67 'Category')
heading() { args+=(-annotate "+$(( $1 - $(printf '%s' "$2" | wc -c) * 3 ))+67" "$2"); }
heading 303 'Found'
heading 376 'Repaired'
heading 453 'Ignored'
for i in "${!rows[@]}"; do
  y=$(( rows[i] * 13 / 8 - 1 ))
  if (( i % 2 == 1 )); then args+=(-fill "$band" -draw "rectangle 8,$y 500,$(( y + 16 ))"); fi
  args+=(-font "$font" -pointsize 9 -fill "$ink" -annotate "+20+$(( y + 12 ))" "${captions[i]}")
done
args+=(-fill none -stroke "$frame" -draw "rectangle 8,52 500,282" -stroke none
       -fill "$frame" -draw "rectangle 268,74 268,282" -draw "rectangle 341,74 341,282" -draw "rectangle 418,74 418,282"
       -fill "$panel" -draw "rectangle 0,286 508,331" -fill "$frame" -draw "rectangle 0,286 508,286"
       -font "$bold" -pointsize 10 -fill "$ink" -annotate +172+302 'Errors found:' -annotate +362+302 'Repaired:')
save 134.bmp "${args[@]}"

# ---- Scan options page 190 ----
left=("ActiveX Objects" "Uninstall Entries" "Windows Fonts" "Shared DLLs" "Application Paths" "Help Files Information")
right=("Windows Startup Items" "File/Path References" "Program Shortcuts" "Empty Registry Keys" "File Associations"
       "Windows Services")
ys=(34 52 70 88 106 124)
args=(-size 509x332 xc:white
      -font "$bold" -pointsize 12 -fill "$ink" -annotate +15+26 'Check the categories you want to scan'
      -font "$font" -pointsize 9 -fill "$soft" -annotate +15+42 'Quillomar looks for invalid entries in each category you tick.'
      -fill none -stroke "$frame" -draw "roundrectangle 8,48 500,230 5,5" -stroke none)
for i in "${!ys[@]}"; do
  y=$(( ys[i] * 13 / 8 ))
  args+=(-font "$font" -pointsize 10 -fill "$ink" -annotate "+51+$(( y + 12 ))" "${left[i]}"
         -annotate "+288+$(( y + 12 ))" "${right[i]}")
done
args+=(-font "$bold" -pointsize 10 -fill "$accent" -annotate +51+256 'Select All (Recommended)'
       -fill "$panel" -draw "rectangle 0,278 508,331" -fill "$frame" -draw "rectangle 0,278 508,278"
       -font "$font" -pointsize 9 -fill "$soft" -annotate +15+308 'A backup of every entry is made before it is repaired.')
save 190.bmp "${args[@]}"

# ---- Scan progress pages 366 (scanning) and 394 (ended) ----
# Each row is drawn on the colour its busy picture is given.
left_bands=('#ffffff' '#fbfbfe' '#fafafd' '#f8f9fd' '#f6f6fb' '#f5f5fa')
right_bands=('#fefeff' '#fbfbfe' '#f9fafd' '#f8f9fd' '#f6f6fb' '#fbfbfe')
right_rows=("Windows Startup Items" "File/Path References" "Program Shortcuts" "Empty Registry Keys" "File Associations"
            "Windows Services")
rows=(46 64 82 100 118 136)
progress_page() {
  local name=$1 title=$2
  local args=(-size 509x332 xc:white
              -font "$bold" -pointsize 12 -fill "$ink" -annotate +15+24 "$title"
              -fill none -stroke "$frame" -draw "roundrectangle 8,66 500,246 5,5" -stroke none)
  for i in "${!rows[@]}"; do
    local y=$(( rows[i] * 13 / 8 ))
    args+=(-fill "${left_bands[i]}" -draw "rectangle 10,$(( y - 5 )) 250,$(( y + 20 ))"
           -fill "${right_bands[i]}" -draw "rectangle 258,$(( y - 5 )) 498,$(( y + 20 ))"
           -font "$font" -pointsize 10 -fill '#404040' -annotate "+42+$(( y + 13 ))" "${left[i]}"
           -annotate "+288+$(( y + 13 ))" "${right_rows[i]}")
  done
  args+=(-fill "$frame" -draw "rectangle 254,70 254,242"
         -font "$bold" -pointsize 10 -fill "$ink" -annotate +15+270 'Errors found:'
         -fill "$panel" -draw "rectangle 0,280 508,331" -fill "$frame" -draw "rectangle 0,280 508,280")
  save "$name" "${args[@]}"
}
progress_page 366.bmp 'Scanning your registry...'
progress_page 394.bmp 'Scan finished'

# ---- Buttons ----
button() {
  local name=$1 width=$2 height=$3 face=$4 text=$5 caption=$6 size=$7
  save "$name" -size "${width}x${height}" "xc:$panel" \
    -fill "$face" -stroke '#8fa9c2' -draw "roundrectangle 0,0 $((width - 1)),$((height - 1)) 5,5" -stroke none \
    -font "$bold" -pointsize "$size" -fill "$text" -gravity center -annotate +0+0 "$caption"
}
button 180.bmp 139 39 "$green" white 'Start Scan' 12
button 181.bmp 139 39 '#237a39' white 'Start Scan' 12
button 191.bmp 63 28 white "$ink" 'Cancel' 10
button 192.bmp 63 28 "$hover" "$ink" 'Cancel' 10
# Greyed faces for the progress page's buttons while they cannot be used.
button 3191.bmp 63 28 '#f1f4f7' '#9aa8b5' 'Cancel' 10
button 3320.bmp 63 28 '#f1f4f7' '#9aa8b5' '< Back' 10
button 3323.bmp 66 28 '#f1f4f7' '#9aa8b5' 'Results >' 10
button 377.bmp 63 28 white "$ink" 'Pause' 10
button 378.bmp 63 28 "$hover" "$ink" 'Pause' 10
button 383.bmp 63 28 white "$ink" 'Resume' 10
button 384.bmp 63 28 "$hover" "$ink" 'Resume' 10

# ---- Category marks (16 x 16): not scanned, nothing found, found ----
mark_none() { save "$1" -size 16x16 "xc:$2" -fill '#c4ccd4' -draw "circle 8,8 8,2" -fill white -draw "rectangle 5,7 11,9"; }
mark_clean() {
  save "$1" -size 16x16 "xc:$2" -fill "$green" -draw "circle 8,8 8,1" \
    -stroke white -strokewidth 2 -fill none -draw "polyline 4,8 7,11 12,5"
}
mark_found() {
  save "$1" -size 16x16 "xc:$2" -fill "$red" -draw "circle 8,8 8,1" \
    -fill white -draw "rectangle 7,3 9,9" -draw "rectangle 7,11 9,13"
}
mark_none 337.bmp white
mark_clean 163.bmp white
mark_found 164.bmp white
mark_clean 342.bmp '#f7f7fc'
mark_found 343.bmp '#f7f7fc'

echo "drawn into $out"
