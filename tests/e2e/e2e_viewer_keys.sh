#!/usr/bin/env bash
# The viewer driven from the keyboard and the wheel through the window system: arrows, PageUp,
# Home/End, Space and the wheel step (tst_viewer's keysOfTheView holds 100 % and full screen);
# 3 sorts the picture shown with its RAW and sidecar, and Ctrl+Z brings
# all three back; Esc closes. On the board the key 4 sends the three again, and neither the RAW nor
# the sidecar has a tile. The full viewer and the one-point viewer opened on the board, framed by
# the window manager, each fill the work area from its top-left corner, frame, title and status
# bar included.
# Usage: e2e_viewer_keys.sh <pirapo-lumo> <testdata> <WxH>
set -euo pipefail
program=$1 testdata=$2 screen=$3
source "$(dirname "$0")/lib.sh"

copy_photos
convert -size 3000x2000 gradient:red-blue -swirl 200 "$src/IMG_0009.JPG"
cp "$testdata/camera/CanonRaw.cr2" "$src/IMG_0001.CR2"
cp "$testdata/camera/XMP.xmp" "$src/IMG_0001.xmp"
mkdir -p "$work/given" && cp "$src"/IMG_0001.* "$work/given/"
# unit_in <folder> <prefix>: IMG_0001's JPEG, RAW and sidecar in the folder, each named prefix + name.
unit_in() {
    local f
    for f in JPG CR2 xmp; do cmp -s "$work/given/IMG_0001.$f" "$1/$2IMG_0001.$f" || return 1; done
}
unit_sent() { unit_in "$dest$1" "000041 " && [ -z "$(find "$src" -name 'IMG_0001.*')" ]; }
start_session "41,0,0" "0,0,0,0,0,1,0,64,10,1"
read -r WA_X WA_Y WA_W WA_H _ < <(xprop -root _NET_WORKAREA | sed 's/.*= *//; s/,/ /g')
[ -n "$WA_H" ] || fail "the window manager announces no work area"
fitted() { geometry "$viewer" && [ "$FX,$FY,$FW,$FH" = "$WA_X,$WA_Y,$WA_W,$WA_H" ]; }
expect_fitted() { wait_for 10 "the $1's frame to be the work area ${WA_W}x$WA_H at $WA_X,$WA_Y" fitted; }
open_viewer_from_list 'IMG_0001\.JPG'
expect_fitted "full viewer"
xdotool windowactivate --sync "$viewer"
geometry "$viewer"
vx=$X vy=$Y vw=$WIDTH vh=$HEIGHT
xdotool mousemove $((vx + vw / 2)) $((vy + vh / 2))

# press <xdotool command> <name shown after it>: a key, or a turn of the wheel (click 4 up, 5 down).
press() {
    xdotool $1 # split on purpose
    wait_for 10 "$1 to show $2" viewer_open "  $2"
}
step "arrows, PageUp, Home/End, the wheel and Space (tst_viewer's steps holds each way back)"
press "key Right" 'IMG_0002\.JPG'
press "key Prior" 'IMG_0001\.JPG'
press "key End" 'IMG_0009\.JPG'
press "key Home" 'IMG_0001\.JPG'
press "click 5" 'IMG_0002\.JPG'
press "key space" 'IMG_0003\.JPG'

step "3 sends the picture shown to target 3 with its RAW and sidecar and steps on; Ctrl+Z brings them back"
press "key Home" 'IMG_0001\.JPG'
xdotool key 3
wait_for 10 "3 to send IMG_0001.JPG, .CR2 and .xmp to target 3" unit_sent 3
wait_for 10 "the viewer to show the next file" viewer_open '  IMG_0002\.JPG'
xdotool key ctrl+z
back() { unit_in "$src" "" && [ -z "$(find "${dest}3" -type f)" ]; }
wait_for 10 "Ctrl+Z to bring all three back" back
wait_for 10 "the viewer to show it again" viewer_open '  IMG_0001\.JPG'

step "Esc closes"
viewer_open '' && xdotool windowactivate --sync "$viewer"
xdotool key Escape
wait_for 10 "Esc to close the viewer" viewer_closed

step "on the board, the RAW and the sidecar have no tile; the key 4 sends them with their JPEG"
geometry
listed=9
open_board
tile_empty 9 || fail "the RAW or the sidecar got a thumbnail of its own"
xdotool windowactivate --sync "$window" key 4 # the frame is on the first tile, the pointer on none
wait_for 10 "4 to send IMG_0001.JPG, .CR2 and .xmp to target 4" unit_sent 4

step "the one-point viewer on the board: a right press on a thumbnail"
xdotool mousemove "$(tile_x 1)" "$(tile_y 1)" mousedown 3
wait_for 30 "the one-point viewer" viewer_open '（ワンポイントViewer）  IMG_0002\.JPG'
xdotool mouseup 3
expect_fitted "one-point viewer"
geometry "$viewer"
click_at $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
wait_for 30 "one click to close the one-point viewer" viewer_closed
exit_from_toolbar
expect_serials "42,0,0"
echo "PASS: on $screen the viewers fit the work area; keys and the wheel step, sort, undo, Esc"
