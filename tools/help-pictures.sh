#!/usr/bin/env bash
# Makes the pictures of the help from the real program, so that they can be made
# again when the main window changes: runs the built program under Xvfb at 96 DPI
# on a demo store in a folder of its own (its own settings, nothing of the user's
# touched), shows patient 123, takes a screenshot and labels it with ImageMagick.
#   resources/help/tolvarin-main.png       the main window, its parts numbered
#   resources/help/tolvarin-positions.png  the two panels, each place named
# Usage: tools/help-pictures.sh [BUILD_DIR]   (default build/; needs the targets
# tolvarine and tolvarine-demo-store built, and xvfb, xdotool, x11-utils, imagemagick)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != --inside-xvfb ]; then
    for tool in xvfb-run xdotool xwininfo import convert compare identify fc-match; do
        command -v "$tool" >/dev/null || {
            echo "help-pictures: $tool is missing (apt-get install xvfb xdotool x11-utils imagemagick)" >&2
            exit 2
        }
    done
    build=$(cd "${1:-$top/build}" && pwd)
    for f in tolvarine tolvarine-demo-store nopic.jpg; do
        [ -e "$build/bin/$f" ] || { echo "help-pictures: $build/bin/$f is missing; build first" >&2; exit 2; }
    done
    # The folder list shows the store's path, so it is the same at every run.
    work=${TMPDIR:-/tmp}/tolvarine-help
    rm -rf "$work"
    mkdir -p "$work"
    trap 'rm -rf "$work"' EXIT
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -nolisten tcp" \
        bash "$0" --inside-xvfb "$build" "$work" "$top/resources/help"
    exit
fi

build=$2 work=$3 out=$4
font=$(fc-match -f '%{file}' 'IPAPGothic:bold')

# The program in a folder of its own: the demo store and a clinic name beside it,
# settings and the single-instance lock in the work folder.
program=$work/program store=$work/画像
mkdir -p "$program" "$store" "$work/config/Tolvarine" "$work/run" "$work/home"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run HOME=$work/home QT_QPA_PLATFORM=xcb QT_FONT_DPI=96
cp "$build/bin/tolvarine" "$build/bin/nopic.jpg" "$program/"
"$build/bin/tolvarine-demo-store" "$store" >/dev/null
printf '[Clinic]\nName=さくら歯科医院\nSize=12\n' >"$program/clinic.ini"
printf '[Settings]\nMainLeft=0\nMainTop=0\nPictFolda=%s\nPictReadFolda=%s\n' "$store" "$store" \
    >"$work/config/Tolvarine/Tolvarine.ini"

"$program/tolvarine" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# The splash also goes by the program's name; the main window is the wide one.
window=""
for _ in $(seq 150); do
    for candidate in $(xdotool search --onlyvisible --pid "$pid" --name '^Tolvarine$' 2>/dev/null || true); do
        wide=$(xwininfo -id "$candidate" 2>/dev/null | awk '/Width:/ { print $2 }' || true)
        [ "${wide:-0}" -gt 600 ] && window=$candidate
    done
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "help-pictures: the main window did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$window"
xdotool type --delay 40 123
xdotool key Return

# The thumbnails are made in turn: shoot until two shots agree (the text cursor's
# blinking aside).
shot=$work/main.png
import -window "$window" "$shot"
for _ in $(seq 40); do
    sleep 0.5
    import -window "$window" "$work/next.png"
    differing=$(compare -metric AE -fuzz 5% "$shot" "$work/next.png" null: 2>&1 || true)
    mv "$work/next.png" "$shot"
    [ "${differing%%.*}" -lt 60 ] 2>/dev/null && break
done

# The client area is 14490 x 10580 twips (966 x 705 pixels at 96 DPI); above it the menu bar.
read -r width height < <(identify -format '%w %h\n' "$shot")
[ "$width" -eq 966 ] || { echo "help-pictures: main window $width pixels wide, not 966 (96 DPI?)" >&2; exit 1; }
menu=$((height - 705))

# Labels are drawn on the picture scaled to the width the help shows it at (680).
scale=0.70393 # 680 / 966
px() { awk -v t="$1" -v s="$scale" 'BEGIN { printf "%d", t / 15 * s + 0.5 }'; }
py() { awk -v t="$1" -v m="$menu" -v s="$scale" 'BEGIN { printf "%d", (t / 15 + m) * s + 0.5 }'; }

# A numbered mark at a point given in twips of the client area (y may be negative:
# the menu bar), with the outline of the part it names (left, top, width, height).
marks=()
mark() {
    local n=$1 x y
    x=$(px "$2") y=$(py "$3")
    if [ $# -gt 3 ]; then
        marks+=(-fill none -stroke '#d0342c' -strokewidth 2
            -draw "rectangle $(px "$4"),$(py "$5") $(px $(($4 + $6))),$(py $(($5 + $7)))")
    fi
    marks+=(-stroke white -strokewidth 1.5 -fill '#d0342c' -draw "circle $x,$y $((x + 10)),$y"
        -stroke none -fill white -pointsize 13 -annotate "+$((x - (n > 9 ? 8 : 4)))+$((y + 5))" "$n")
}
mark 1 5600 0
mark 2 1850 258 30 120 2100 276
mark 3 1750 2700 36 480 2100 4920
mark 4 4700 252 3040 120 972 264
mark 5 4700 612 3040 480 1412 264
mark 6 4700 1230 2280 840 2175 780
mark 7 2467 2190 2280 1720 375 280
mark 8 4700 1860 3000 1720 1452 280
mark 9 1750 6700 30 5500 2100 2400
mark 10 1750 9200 36 8000 2100 2400
mark 11 7950 2380
mark 12 10856 8426
mark 13 11800 420 11980 200 2250 492

convert "$shot" -resize 680x -font "$font" "${marks[@]}" -strip -colors 256 +dither \
    -define png:compression-level=9 "$out/tolvarin-main.png"

# The positions: the panels' part of the window, each place named as the options
# dialog names it.
names=()
place() {
    local label=$1 x y
    x=$(px "$2") y=$(py "$3")
    names+=(-fill '#1f4e79e0' -stroke white -strokewidth 1.5
        -draw "roundrectangle $((x - 40)),$((y - 16)) $((x + 40)),$((y + 16)) 6,6"
        -stroke none -fill white -pointsize 18 -annotate "+$((x - 31))+$((y + 7))" "$label")
}
place 画像0 3268 5828
place 画像1 6328 3408
place 画像2 3268 3408
place 画像3 9448 3408
place 画像4 6328 968
place 画像5 6328 5828
place 画像6 9386 906
place 顔面0 3206 8426
place 顔面1 6266 8426
place 顔面2 9326 8426
place 顔面3 12386 8426
place 顔面4 12386 5406
left=$(px 2160) top=$(py 60)
convert "$shot" -resize 680x -font "$font" "${names[@]}" \
    -crop "$(($(px 13440) - left))x$(($(py 9400) - top))+$left+$top" +repage \
    -strip -colors 256 +dither -define png:compression-level=9 "$out/tolvarin-positions.png"

ls -l "$out"/tolvarin-*.png
