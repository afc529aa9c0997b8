#!/usr/bin/env bash
# The viewer, framed by the window manager, on a small screen: the full viewer opened
# from the file list and the one-point viewer opened on the board must each lie inside
# the work area with their frames, title and status bar included, filling it from its
# top-left corner as the main window's board does.
# Usage: e2e_viewer_frame.sh <path of pirapo-lumo> <testdata folder> <screen WIDTHxHEIGHT>
set -euo pipefail
program=$1 testdata=$2 screen=$3
source "$(dirname "$0")/lib.sh"

src=$work/src dest=$work/dest
copy_photos "$src"
start_session "41,0,0" "0,0,0,0,0,1,0,64,10,1"
work_area || fail "the window manager announces no work area"

viewer=
viewer_open() { viewer=$(window_named "^$1") && [ -n "$viewer" ]; }
# expect_fitted <what>: the viewer's frame becomes the work area; what it was when not.
expect_fitted() {
    local i
    for i in $(seq 50); do
        geometry "$viewer"
        [ "$FX,$FY,$FW,$FH" = "$WA_X,$WA_Y,$WA_W,$WA_H" ] && return
        sleep 0.2
    done
    fail "the $1's frame is ${FW}x$FH at $FX,$FY, not the work area ${WA_W}x$WA_H at $WA_X,$WA_Y"
}
viewer_closed() { [ -z "$(window_named '^ピラポくんViewer')" ]; }

step "the full viewer from the file list on a ${screen} screen"
xdotool mousemove $((X + 260)) $((Y + menu + 32 + 8)) click --repeat 2 --delay 80 1
wait_for 30 "the viewer" viewer_open 'ピラポくんViewer  IMG_0001\.JPG'
expect_fitted "full viewer"
xdotool windowactivate --sync "$viewer" key alt+F4
wait_for 30 "the viewer to close" viewer_closed

step "the one-point viewer on the board"
geometry
open_board
xdotool mousemove "$(slot_x 1)" "$(slot_y 1)" mousedown 3
wait_for 30 "the one-point viewer" viewer_open 'ピラポくんViewer（ワンポイントViewer）  IMG_0002\.JPG'
xdotool mouseup 3
expect_fitted "one-point viewer"
geometry "$viewer"
click_at $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
wait_for 30 "one click to close the one-point viewer" viewer_closed

exit_from_toolbar
echo "PASS: on a ${screen} screen both viewers fit the work area, frame included"
