#!/usr/bin/env bash
# The board follows its window: maximised, then 1000x700, 1366x768 and maximised again. After each
# change a picture dropped with the real mouse on target 9 and another on target 0 arrive there
# (tst_board's followsResize checks the layout itself, at more sizes).
# Usage: e2e_resize.sh <pirapo-lumo> <testdata>
set -euo pipefail
program=$1 testdata=$2 screen=1920x1080 page=30
source "$(dirname "$0")/lib.sh"

copy_photos
for n in $(seq 9 40); do cp "$src/IMG_000$((n % 8 + 1)).JPG" "$src/$(printf 'IMG_%04d.JPG' "$n")"; done
start_session "41,0,0" "0,0,0,0,0,1,0,64,30,1"
open_board
background=$(pixel $((X + WIDTH / 2)) $((Y + HEIGHT - 80)))

# openbox maximises and restores a window on a double-click of its title bar.
toggle_maximised() {
    geometry
    xdotool mousemove $((FX + FW / 2)) $((FY + (Y - FY) / 2)) click --repeat 2 --delay 80 1
}
maximised() { xprop -id "$window" _NET_WM_STATE | grep -q MAXIMIZED_HORZ; }
sized() { geometry && [ "$WIDTH" -eq "$1" ] && [ "$HEIGHT" -eq "$2" ]; }
resize_to() { xdotool windowsize "$window" "$1" "$2" && wait_for 30 "the window at $1x$2" sized "$1" "$2"; }
laid_out() { board_layout && tile_shown "$1"; }

next=0 # the list position of the next picture to drop
drop_on() {
    local k=$1 before
    before=$(find "$dest$k" -type f | wc -l)
    drag "$(tile_x "$next")" "$(tile_y "$next")" "$(label_x "$k")" "$label_y"
    arrived() { [ "$(find "$dest$k" -type f | wc -l)" -eq $((before + 1)) ]; }
    wait_for 30 "picture $next to arrive in folder $k" arrived
    wait_for 30 "its thumbnail to go" tile_empty "$next"
    next=$((next + 1))
}
check_and_drop() {
    step "$1: the layout, then drops on targets 9 and 0"
    wait_for 30 "the board laid out for $1" laid_out "$next"
    drop_on 9
    drop_on 0
}

toggle_maximised
wait_for 30 "the window maximised" maximised
check_and_drop "maximised"

toggle_maximised
wait_for 30 "the window restored" eval '! maximised'
resize_to 1000 700
check_and_drop "1000x700"

resize_to 1366 768
check_and_drop "1366x768"

step "a resize under a drag ends the drag: nothing moves, target 9 is not left lit"
label9_normal=$(label9_colour)
drag "$(tile_x "$next")" "$(tile_y "$next")" "$(label_x 9)" "$label_y" hold
wait_for 30 "target 9 to light up blue" label9_is "0,0,255"
resize_to 1300 740
wait_for 30 "the board laid out for 1300x740" laid_out "$next"
xdotool mouseup 1
wait_for 30 "target 9 to lose its blue" label9_is "$label9_normal"
sleep 0.5
[ "$(find "${dest}9" -type f | wc -l)" -eq 3 ] || fail "the drag cut short by the resize moved a file"
tile_shown "$next" || fail "the dragged thumbnail went away"

toggle_maximised
wait_for 30 "the window maximised again" maximised
check_and_drop "maximised again"

tile_empty 0 || fail "a sent thumbnail came back after the resizes"
exit_from_toolbar
[ "$(find "${dest}9" "${dest}0" -type f | wc -l)" -eq 8 ] || fail "not every drop arrived"
echo "PASS: the board followed four resizes, and eight drops on targets 9 and 0 arrived"
