#!/usr/bin/env bash
# A whole sorting session with the real mouse and keyboard under one renaming rule: three
# drops, a drag cancelled with Escape, reload, undo, load more, send all
# reached to the delete folder and undo once, back to the folder screen, the viewer opened
# from the list, and the end (with SIGTERM under rule 2). Then every file's place, name and content and the rewritten Pirapo.ini.
# Usage: e2e_sorting.sh <pirapo-lumo> <testdata> <rule 0|1|2>
set -euo pipefail
program=$1 rule=$3
source "$(dirname "$0")/lib.sh"

src="$work/写真 の元" dest="$work/行き先 " # blanks and Japanese text on purpose
mkdir -p "$src"
for n in $(seq 1 25); do
    convert -seed "$n" -size 80x60 plasma:fractal -quality 80 "$src/$(printf 'IMG_%04d.JPG' "$n")"
done
declare -A sha
while read -r sum path; do sha[$(basename "$path")]=$sum; done < <(manifest "$src")
# The names the three drops give, onto targets 3, 5 and 7 in turn.
case $rule in
0) names=("000041 IMG_0001.JPG" "000042 IMG_0002.JPG" "000043 IMG_0003.JPG") serials_after="43,7,123" ;;
1) names=("行き先 3000007.JPG" "行き先 5000008.JPG" "行き先 7000009.JPG") serials_after="41,9,123" ;;
2) names=("旅 3000123.JPG" "旅 5000124.JPG" "旅 7000125.JPG") serials_after="41,7,125" ;;
*) fail "unknown rule $rule" ;;
esac
targets=(3 5 7)
start_session "41,7,123" "0,0,0,0,$rule,1,0,64,10,1" "旅 0" "旅 1" "旅 2" "旅 3" "旅 4" "旅 5" "旅 6" "旅 7" "旅 8" "旅 9"
head -n 22 "$prog/Pirapo.ini" >"$work/ini.given"

step "build the board"
open_board
wait_for 30 "the tenth thumbnail" tile_shown 9
tile_empty 10 || fail "more than the ten thumbnails of a page"
# popup_menu <keys...>: an item of the board's pop-up menu, picked with the keyboard.
popup_menu() {
    click_at $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) 3
    wait_for 30 "the board's pop-up menu" popup_open
    xdotool key "$@"
    wait_for 30 "the pop-up menu to close" popup_closed
}

for i in 0 1 2; do
    k=${targets[$i]} file=$(printf 'IMG_%04d.JPG' $((i + 1)))
    step "drop $file on target $k"
    drag "$(tile_x "$i")" "$(tile_y "$i")" "$(label_x "$k")" "$label_y"
    arrived() { [ -f "$dest$k/${names[$i]}" ] && [ ! -e "$src/$file" ]; }
    wait_for 30 "$file to arrive in folder $k as '${names[$i]}'" arrived
    wait_for 30 "its thumbnail to go" tile_empty "$i"
done
tile_shown 3 || fail "the fourth thumbnail went away with the drops"

step "a drag taken back with Escape over target 9 moves nothing"
label9_normal=$(label9_colour)
drag "$(tile_x 4)" "$(tile_y 4)" "$(label_x 9)" "$label_y" hold
wait_for 30 "target 9 to light up blue" label9_is "0,0,255"
xdotool key Escape
xdotool mouseup 1
wait_for 30 "target 9 to lose its blue" label9_is "$label9_normal"
tile_shown 4 || fail "the cancelled thumbnail went away"

step "reload closes the gaps"
popup_menu Down Return # 画像をリロードする
wait_for 30 "the board to be refilled from the top" tile_shown 0
wait_for 30 "the tenth thumbnail after the reload" tile_shown 9
tile_empty 10 || fail "the reload showed more than ten thumbnails"

step "undo from the toolbar"
click_undo
restored() { [ -f "$src/IMG_0003.JPG" ] && [ ! -e "$dest${targets[2]}/${names[2]}" ]; }
wait_for 30 "IMG_0003.JPG to come back" restored

step "load more: ten more entries"
wait_for 30 "the board after the undo" tile_shown 9
tile_empty 15 || fail "tile 15 shown before the load more"
popup_menu Down Down Return # 新たにロードする
page=20 && board_layout
wait_for 30 "the twentieth thumbnail" tile_shown 19
tile_empty 20 || fail "the load more showed more than 20 thumbnails"

step "send everything reached (IMG_0003 .. IMG_0022) to the delete folder"
popup_menu Up Return # すべて削除フォルダへ, the last item
sent() { [ "$(find "${dest}10" -type f | wc -l)" -eq 20 ] && [ ! -e "$src/IMG_0022.JPG" ]; }
wait_for 60 "twenty files in the delete folder" sent
wait_for 30 "the sent thumbnails to go" tile_empty 19

step "undo the last file sent"
click_undo
wait_for 30 "IMG_0022.JPG to come back" test -f "$src/IMG_0022.JPG"
page=10 && board_layout
wait_for 30 "the board to show the four files left" tile_shown 3
tile_empty 4 || fail "more thumbnails than files left"

step "キャンセル: back to the folder screen at 105, 105 twips, 6600 x 4350"
cancel_x=$(columns_where "$toolbar_row" 'r > 200 && g > 150 && b < 140' | head -n1)
[ -n "$cancel_x" ] || fail "the cancel button was not found on the toolbar"
click_at $((cancel_x + 4)) "$toolbar_row"
folder_screen() { geometry && [ "$FW" -eq 440 ] && [ "$FH" -eq 290 ]; }
wait_for 30 "the folder screen" folder_screen

step "the viewer from the file list on IMG_0022 of four, closed with Esc"
open_viewer_from_list 'IMG_0022\.JPG'
viewer_shows() { [ "$(xdotool getwindowname "$viewer")" = "ピラポくんViewer  $1   ($2/4)" ]; }
wait_for 30 "the viewer on IMG_0022.JPG" viewer_shows IMG_0022.JPG 1
xdotool windowactivate --sync "$viewer" key Escape
wait_for 30 "the viewer to close" viewer_closed

if [ "$rule" = 2 ]; then
    step "end the program with SIGTERM, as a logout does: the counters must still be saved"
    kill -TERM "$app_pid"
else
    step "end the program with 終了 on the folder screen"
    exit_from_folder_screen
fi
wait_program_end

step "check the files: each where it belongs, under its name, with its own content"
{
    for i in 0 1; do echo "${sha[IMG_000$((i + 1)).JPG]}  $dest${targets[$i]}/${names[$i]}"; done
    for n in $(seq 3 25); do
        f=$(printf 'IMG_%04d.JPG' "$n")
        [ "$n" -le 21 ] && echo "${sha[$f]}  ${dest}10/$f" || echo "${sha[$f]}  $src/$f"
    done
} | sort -k2 >"$work/expected"
manifest "$src" "$dest"{0,1,2,3,4,5,6,7,8,9,10} | sort -k2 >"$work/actual"
diff -u "$work/expected" "$work/actual" || fail "the files are not where they belong"

step "check Pirapo.ini: folders and head names as given, CR LF and all, the window put back by キャンセル"
expect_serials "$serials_after"
head -n 22 "$prog/Pirapo.ini" | cmp -s - "$work/ini.given" || fail "Pirapo.ini's first 22 lines changed"
grep -qv $'\r$' "$prog/Pirapo.ini" && fail "a line of Pirapo.ini does not end with CR LF"
[ "$(ini_line 24)" = "6600,4350,105,105,$rule,1,0,64,10,1" ] || fail "last line reads '$(ini_line 24)'"
echo "PASS: rule $rule: three drops, reload, undo, load more, send all, undo, cancel, viewer, exit"
