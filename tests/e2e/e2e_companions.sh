#!/usr/bin/env bash
# A camera's JPEG with its RAW and sidecar beside it, dragged with the real mouse onto a target:
# all three arrive under the rule's names and leave the source, Ctrl+Z brings all three back, and
# the real key 4 sends them again.
# Usage: e2e_companions.sh <pirapo-lumo> <testdata>
set -euo pipefail
program=$1 testdata=$2
source "$(dirname "$0")/lib.sh"

mkdir -p "$src" "$work/given"
cp "$testdata/photos/Canon_40D.jpg" "$work/given/IMG_0001.JPG"
cp "$testdata/camera/CanonRaw.cr2" "$work/given/IMG_0001.CR2"
cp "$testdata/camera/XMP.xmp" "$work/given/IMG_0001.xmp"
cp "$work/given/"* "$src/"
start_session "41,0,0" "0,0,0,0,0,1,0,64,10,1"
listed=1 # the RAW and the sidecar have no thumbnail of their own
open_board
tile_empty 1 || fail "the RAW or the sidecar got a thumbnail of its own"

# same_files <folder> <prefix>: the three given files in the folder, each named prefix + name.
same_files() {
    local f
    for f in IMG_0001.JPG IMG_0001.CR2 IMG_0001.xmp; do
        cmp -s "$work/given/$f" "$1/$2$f" || return 1
    done
    [ "$(find "$1" -type f | wc -l)" -eq 3 ]
}
empty() { [ -z "$(find "$1" -type f)" ]; }
unit_arrived() { same_files "${dest}4" "000041 " && empty "$src"; }
unit_back() { same_files "$src" "" && empty "${dest}4"; }

step "drag the picture onto target 4"
drag "$(tile_x 0)" "$(tile_y 0)" "$(label_x 4)" "$label_y"
wait_for 60 "the JPEG, RAW and XMP to arrive in folder 4 as 000041 ..." unit_arrived

step "Ctrl+Z brings the whole unit back, the key 4 sends it again"
xdotool windowactivate --sync "$window"
# press_until <key> <check>: the window manager may swallow a key press, so it is pressed again until
# the check holds. A press too many finds nothing left to undo, or no tile to send.
press_until() {
    local i
    xdotool key "$1"
    for i in $(seq 50); do
        "$2" && return 0
        sleep 0.1
    done
    return 1
}
wait_for 90 "the JPEG, RAW and XMP back in the source and folder 4 empty" press_until ctrl+z unit_back
wait_for 30 "the thumbnail back on the board" tile_shown 0
wait_for 90 "the key 4 to send the unit to folder 4 as 000041 ... again" press_until 4 unit_arrived
exit_from_toolbar
expect_serials "42,0,0"
unit_arrived || fail "the files moved again after the key sent them"
echo "PASS: the JPEG, its RAW and its sidecar moved as one unit by a drag, came back by Ctrl+Z and went by the key 4"
