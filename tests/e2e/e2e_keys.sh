#!/usr/bin/env bash
# Sort three pictures with the real keys 1, 2 and 3: the mouse picks the first one,
# Home the next, the frame follows each send. Then Ctrl+Z takes the last one back,
# the toolbar's 終了 closes the program, and the serial line of Pirapo.ini is checked.
# Usage: e2e_keys.sh <path of pirapo-lumo> <testdata folder>
set -euo pipefail

program=$1
testdata=$2
. "$(dirname "$0")/e2e_common.sh"

open_board

# The board is 1280 px wide: 20 columns of 64 px. The frame of the current thumbnail
# is orange; its left edge crosses the middle row of the thumbnails.
framed_slot() {
    local col
    col=$(columns_where "$thumb_y" 'r >= 245 && g >= 125 && g <= 155 && b <= 20' | head -n1)
    [ -n "$col" ] && echo $(((col - X) / 64))
}
frame_at() { [ "$(framed_slot)" = "$1" ]; }
wait_for 30 "the frame on the first thumbnail" frame_at 0

# The mouse picks the second thumbnail and leaves for the empty board; the frame stays.
xdotool mousemove $((thumb_x + 64)) "$thumb_y"
wait_for 30 "the frame to follow the mouse to the second thumbnail" frame_at 1
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))

# Keys go to the window with the input focus; there is no window manager to give it.
xdotool windowfocus --sync "$window"

arrived() { [ -f "$work/dest$1/$2" ] && [ ! -e "$src/$3" ]; }

xdotool key 1
wait_for 30 "IMG_0002.JPG in folder 1 as '000041 IMG_0002.JPG'" arrived 1 "000041 IMG_0002.JPG" IMG_0002.JPG
# The frame moves on once the send is over; the next key must not find the board busy.
wait_for 30 "the frame on the third thumbnail" frame_at 2

xdotool key Home
wait_for 30 "the frame back on the first thumbnail" frame_at 0
xdotool key 2
wait_for 30 "IMG_0001.JPG in folder 2 as '000042 IMG_0001.JPG'" arrived 2 "000042 IMG_0001.JPG" IMG_0001.JPG
wait_for 30 "the frame past the sent second thumbnail" frame_at 2

xdotool key 3
wait_for 30 "IMG_0003.JPG in folder 3 as '000043 IMG_0003.JPG'" arrived 3 "000043 IMG_0003.JPG" IMG_0003.JPG
wait_for 30 "the frame on the fourth thumbnail" frame_at 3

# One undo per Ctrl+Z: only the last send comes back, and the board is reloaded.
xdotool key ctrl+z
restored() { [ -f "$src/IMG_0003.JPG" ] && [ ! -e "$work/dest3/000043 IMG_0003.JPG" ]; }
wait_for 30 "IMG_0003.JPG to come back" restored
wait_for 30 "the reloaded board framing its first thumbnail" frame_at 0
[ -f "$work/dest1/000041 IMG_0002.JPG" ] || fail "the undo took back more than the last send"
[ -f "$work/dest2/000042 IMG_0001.JPG" ] || fail "the undo took back more than the last send"

exit_from_toolbar
expect_serials "43,0,0"
[ -f "$work/dest1/000041 IMG_0002.JPG" ] && [ -f "$work/dest2/000042 IMG_0001.JPG" ] ||
    fail "a sorted picture went missing"

echo "PASS: keys 1, 2, 3 sorted three pictures, Ctrl+Z took the last back, serial at 43"
