# The set-up the drop and key scripts share, on the helpers of lib.sh: the test photos
# as IMG_0001.JPG ... in a source folder, ten destinations and a delete folder,
# Pirapo.ini with NameRule 0 and serial 41, and the program on a display of its own,
# showing the folder screen. Source it after setting `program` (path of pirapo-lumo)
# and `testdata` (the test data folder).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

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

# open_board: presses "実行" and waits for the board and its first thumbnail. Sets
# thumb_x/thumb_y (the middle of slot 0's box), background and toolbar_row.
open_board() {
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
    toolbar_row=$((Y + menu + 16))
}

# exit_from_toolbar: the toolbar's 終了 (its icon is the only red one), then waits for
# the program to end well.
exit_from_toolbar() {
    local exit_x
    exit_x=$(columns_where "$toolbar_row" 'r > 170 && g < 90 && b < 90' | head -n1)
    [ -n "$exit_x" ] || fail "the exit button was not found on the toolbar"
    click_at $((exit_x + 3)) "$toolbar_row"
    wait_program_end
}

# expect_serials <line>: the serial line of the Pirapo.ini written at exit.
expect_serials() {
    local serial
    serial=$(sed -n '23p' "$prog/Pirapo.ini" | tr -d '\r')
    [ "$serial" = "$1" ] || fail "serial line reads '$serial', expected $1"
    [ "$(wc -l <"$prog/Pirapo.ini")" -eq 24 ] || fail "Pirapo.ini does not have 24 lines"
}
