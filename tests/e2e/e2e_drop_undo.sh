#!/usr/bin/env bash
# The first thumbnail dropped on target 3 with the real mouse and undone from the toolbar; then
# the files and the serial line of Pirapo.ini. Usage: e2e_drop_undo.sh <pirapo-lumo> <testdata>
set -euo pipefail
program=$1 testdata=$2
source "$(dirname "$0")/lib.sh"

copy_photos
before=$(sha1sum <"$src/IMG_0001.JPG")
start_session "41,0,0" "0,0,0,0,0,1,0,64,10,1" # rule 0, folder remembered, 64-pixel thumbnails
open_board
drop_slot 0 3
moved="${dest}3/000041 IMG_0001.JPG"
dropped() { [ -f "$moved" ] && [ ! -e "$src/IMG_0001.JPG" ]; }
wait_for 30 "IMG_0001.JPG to arrive in folder 3 as '000041 IMG_0001.JPG'" dropped
click_undo
restored() { [ -f "$src/IMG_0001.JPG" ] && [ ! -e "$moved" ]; }
wait_for 30 "IMG_0001.JPG to come back" restored
[ "$(sha1sum <"$src/IMG_0001.JPG")" = "$before" ] || fail "the file that came back differs"
exit_from_toolbar
expect_serials "41,0,0"
echo "PASS: drop to folder 3, undo from the toolbar, serial back to 41"
