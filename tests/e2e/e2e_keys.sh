#!/usr/bin/env bash
# Three pictures sorted with the real keys 1, 2 and 3, the frame following each send. Ctrl+Z
# takes the last one back, the toolbar's 終了 closes the program, and the serial line is checked.
# Usage: e2e_keys.sh <pirapo-lumo> <testdata>
set -euo pipefail
program=$1 testdata=$2
source "$(dirname "$0")/lib.sh"

copy_photos
start_session "41,0,0" "0,0,0,0,0,1,0,64,10,1"
open_board
# The current thumbnail's frame is orange; its left edge crosses the middle row of the thumbnails.
framed_tile() {
    local col
    col=$(columns_where "$(tile_y 0)" 'r >= 245 && g >= 125 && g <= 155 && b <= 20' | head -n1)
    [ -n "$col" ] && echo $(((col - X) / pitch))
}
frame_at() { [ "$(framed_tile)" = "$1" ]; }
wait_for 30 "the frame on the first thumbnail" frame_at 0
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) windowactivate --sync "$window"

# send <key> <folder> <new name> <file> <tile framed after>: the frame moves on once the send is
# over, and the next key must not find the board busy.
send() {
    xdotool key "$1"
    arrived() { [ -f "$dest$2/$3" ] && [ ! -e "$src/$4" ]; }
    wait_for 30 "$4 in folder $2 as '$3'" arrived "$@"
    wait_for 30 "the frame on thumbnail $5" frame_at "$5"
}
send 1 1 "000041 IMG_0001.JPG" IMG_0001.JPG 1
send 2 2 "000042 IMG_0002.JPG" IMG_0002.JPG 2
send 3 3 "000043 IMG_0003.JPG" IMG_0003.JPG 3
# One undo per Ctrl+Z: only the last send comes back, and the board is reloaded.
xdotool key ctrl+z
restored() { [ -f "$src/IMG_0003.JPG" ] && [ ! -e "${dest}3/000043 IMG_0003.JPG" ]; }
wait_for 30 "IMG_0003.JPG to come back" restored
wait_for 30 "the reloaded board framing its first thumbnail" frame_at 0
exit_from_toolbar
expect_serials "43,0,0"
[ -f "${dest}1/000041 IMG_0001.JPG" ] && [ -f "${dest}2/000042 IMG_0002.JPG" ] || fail "the undo took back more than the last send"
echo "PASS: keys 1, 2, 3 sorted three pictures, Ctrl+Z took the last back, serial at 43"
