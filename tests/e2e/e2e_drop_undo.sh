#!/usr/bin/env bash
# Drop the first thumbnail on target 3 with the real mouse, undo it from the toolbar,
# close the program, and check the files and the serial line of Pirapo.ini.
# Usage: e2e_drop_undo.sh <path of pirapo-lumo> <testdata folder>
set -euo pipefail

program=$1
testdata=$2
source "$(dirname "$0")/lib.sh"

# ---- a throw-away program folder, source folder and destinations
src=$work/src
mkdir -p "$src"
make_program_folder "$program"
n=1
for f in "$testdata"/photos/*.jpg; do
    cp "$f" "$src/$(printf 'IMG_%04d.JPG' "$n")"
    n=$((n + 1))
done
[ -f "$src/IMG_0001.JPG" ] || fail "no test photos in $testdata/photos"
for k in 0 1 2 3 4 5 6 7 8 9 10; do
    mkdir -p "$work/dest$k"
done
# NameRule 0, RememberFolder 1, ThumbSize 64
write_ini "$src" "$work/dest" "41,0,0" "0,0,0,0,0,1,0,64,10,1"

start_display
start_program
wait_for 30 "the main window" find_main_window

# ---- folder screen: the client area is 6555 x 3660 twips (437 x 244 px at 15 twips
# per pixel) below the menu bar; "実行" is at 3600, 2760, 1335 x 495 twips.
geometry
menu=$((HEIGHT - 244))
[ "$menu" -ge 0 ] || fail "unexpected window height $HEIGHT"
click_at $((X + 284)) $((Y + menu + 200))

# The board spreads the window over the work area (the whole screen without a window manager).
board_built() {
    geometry
    [ "$WIDTH" -eq 1280 ]
}
wait_for 30 "the board" board_built

# Slot 0 sits at the board's top-left: board top is 500 twips below the client's top.
thumb_x=$((X + 32))
thumb_y=$((Y + menu + 33 + 32))
background=$(pixel $((X + WIDTH / 2)) $((Y + HEIGHT / 2)))
thumbnail_shown() {
    [ "$(pixel "$thumb_x" "$thumb_y")" != "$background" ]
}
wait_for 30 "the first thumbnail" thumbnail_shown

# Toolbar icons: the undo arrow is blue like the cancel arrow, and shows in colour
# only once undo is possible; 終了's icon is the only red one.
toolbar_row=$((Y + menu + 16))
blue='r < 120 && g > 70 && g < 170 && b > 170'
blue_before=$(columns_where "$toolbar_row" "$blue" | tr '\n' ' ')

# ---- drag the first thumbnail onto target 3 with the real mouse
client_h=$((HEIGHT - menu))
label_y=$((Y + menu + (client_h * 15 - 500) / 15))
label_x=$((X + WIDTH * 35 / 100))
drag "$thumb_x" "$thumb_y" "$label_x" "$label_y"

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
exit_x=$(columns_where "$toolbar_row" 'r > 170 && g < 90 && b < 90' | head -n1)
[ -n "$exit_x" ] || fail "the exit button was not found on the toolbar"
click_at $((exit_x + 3)) "$toolbar_row"
wait_program_end

serial=$(sed -n '23p' "$prog/Pirapo.ini" | tr -d '\r')
[ "$serial" = "41,0,0" ] || fail "serial line reads '$serial', expected 41,0,0"
[ "$(wc -l <"$prog/Pirapo.ini")" -eq 24 ] || fail "Pirapo.ini does not have 24 lines"

echo "PASS: drop to folder 3, undo from the toolbar, serial back to 41"
