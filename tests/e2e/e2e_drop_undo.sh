#!/usr/bin/env bash
# Drop the first thumbnail on target 3 with the real mouse, undo it from the toolbar,
# close the program, and check the files and the serial line of Pirapo.ini.
# Usage: e2e_drop_undo.sh <path of pirapo-lumo> <testdata folder>
set -euo pipefail

program=$1
testdata=$2
. "$(dirname "$0")/e2e_common.sh"

open_board

# Toolbar icons: the undo arrow is blue like the cancel arrow, and shows in colour
# only once undo is possible; 終了's icon is the only red one.
blue='r < 120 && g > 70 && g < 170 && b > 170'
blue_before=$(columns_where "$toolbar_row" "$blue" | tr '\n' ' ')

# ---- drag the first thumbnail onto target 3 with the real mouse
client_h=$((HEIGHT - menu))
label_y=$((Y + menu + (client_h * 15 - 500) / 15))
label_x=$((X + WIDTH * 35 / 100))
xdotool mousemove "$thumb_x" "$thumb_y"
xdotool mousedown 1
steps=8
for i in $(seq 1 $steps); do
    xdotool mousemove $((thumb_x + (label_x - thumb_x) * i / steps)) $((thumb_y + (label_y - thumb_y) * i / steps))
    sleep 0.05
done
xdotool mousemove "$label_x" "$label_y"
sleep 0.05
xdotool mouseup 1

moved=$work/dest3/"000041 IMG_0001.JPG"
dropped() { [ -f "$moved" ] && [ ! -e "$src/IMG_0001.JPG" ]; }
wait_for 30 "IMG_0001.JPG to arrive in folder 3 as '000041 IMG_0001.JPG'" dropped

undo_x=
undo_enabled() {
    local col
    for col in $(columns_where "$toolbar_row" "$blue"); do
        case " $blue_before " in
        *" $col "*) ;;
        *)
            undo_x=$col
            return 0
            ;;
        esac
    done
    return 1
}
wait_for 30 "the toolbar's undo button to be enabled" undo_enabled
click_at "$undo_x" "$toolbar_row"

restored() { [ -f "$src/IMG_0001.JPG" ] && [ ! -e "$moved" ]; }
wait_for 30 "IMG_0001.JPG to come back" restored
cmp -s "$src/IMG_0001.JPG" "$testdata/photos/$(ls "$testdata/photos" | head -n1)" ||
    fail "the file that came back differs from the original"

# ---- close with the toolbar's 終了 and check the saved serial
exit_from_toolbar
expect_serials "41,0,0"

echo "PASS: drop to folder 3, undo from the toolbar, serial back to 41"
