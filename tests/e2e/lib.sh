# The end-to-end tests' steps: a throw-away program folder, a display of our own with a window
# manager, waits, the real mouse and keyboard. Sourced by scripts that `set -euo pipefail`.

for tool in Xvfb openbox xprop xwininfo xdotool import convert sha1sum ${extra_tools-}; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" && exit 77; }
done

work=$(mktemp -d)
prog=$work/prog src=$work/src dest=$work/dest
xvfb_pid= wm_pid= app_pid= window=
e2e_cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null # not met going down
    rm -rf "$work"
}
trap e2e_cleanup EXIT

# E2E_SHOTS=<folder> keeps a screenshot of the moment a test failed.
fail() {
    echo "FAIL: $*"
    [ -n "${E2E_SHOTS:-}" ] && [ -n "${DISPLAY:-}" ] && mkdir -p "$E2E_SHOTS" &&
        import -window root "$E2E_SHOTS/$(basename "$0" .sh)-$$.png" 2>/dev/null
    [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log"
    exit 1
}
step() { echo "[$SECONDS s] $*"; }

# wait_for <seconds> <description> <command...>: polls the command until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for: $what"
        sleep 0.1
    done
}

# start_display: Xvfb on a free display (told on fd 3) of $screen (WIDTHxHEIGHT); -noreset, or the
# program would find it closed just after an xdotool call had left. openbox frames the windows.
screen=${screen:-1280x800}
start_display() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -noreset -screen 0 "${screen}x24" -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    wait_for 20 "Xvfb to start" test -s "$work/display"
    export DISPLAY=:$(head -n1 "$work/display") XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    XDG_CONFIG_HOME=$work/wm XDG_CACHE_HOME=$work/wm openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_for 20 "the window manager" eval "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'"
}

program_running() { [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; }
program_ended() { ! program_running; }
# wait_program_end: waits for the program to end and checks its exit status.
wait_program_end() {
    wait_for 30 "the program to end" program_ended
    local status=0
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# window_named <title pattern>: the first visible window whose title matches, or nothing.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
# The program's visible windows, pop-up menus included (they have no title).
app_windows() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l; }
popup_open() { [ "$(app_windows)" -ge 2 ]; }
popup_closed() { [ "$(app_windows)" -eq 1 ]; }

find_main_window() {
    program_running || fail "the program ended early"
    window=$(window_named '^ピラポくんLumo$')
    [ -n "$window" ]
}
# await_main_window: $window, its geometry and $menu, the menu bar's height (below it 437 x 244 px).
await_main_window() {
    wait_for 30 "the main window" find_main_window
    geometry
    menu=$((HEIGHT - 244))
    [ "$menu" -ge 0 ] || fail "unexpected window height $HEIGHT"
}

# geometry [window]: X, Y, WIDTH, HEIGHT of the inside (of the main window by default), FX, FY, FW,
# FH with the frame. xwininfo: xdotool counts the frame's offset twice.
geometry() {
    local w=${1:-$window} left right top bottom
    eval "$(xwininfo -id "$w" | sed -n 's/^ *Absolute upper-left X: *\(-*[0-9]*\)/X=\1/p
        s/^ *Absolute upper-left Y: *\(-*[0-9]*\)/Y=\1/p; s/^ *Width: *\([0-9]*\)/WIDTH=\1/p
        s/^ *Height: *\([0-9]*\)/HEIGHT=\1/p')"
    read -r left right top bottom < <(xprop -id "$w" _NET_FRAME_EXTENTS | sed -n 's/.*= *//; s/,/ /gp')
    FX=$((X - ${left:-0})) FY=$((Y - ${top:-0}))
    FW=$((WIDTH + ${left:-0} + ${right:-0})) FH=$((HEIGHT + ${top:-0} + ${bottom:-0}))
}

# The colour of one screen pixel as "r,g,b".
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- | sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*,[0-9]*,[0-9]*\).*/\1/p'
}

# columns_where <y> <awk condition on r, g, b> [x0 width]: matching columns of row y (of the main window).
columns_where() {
    local x0=${3:-$X} w=${4:-$WIDTH}
    import -window root -crop "${w}x1+$x0+$1" -depth 8 txt:- |
        sed -n 's/^\([0-9]*\),0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
        awk -v x0="$x0" "{ r = \$2; g = \$3; b = \$4; if ($2) print \$1 + x0 }"
}

# drag <x1> <y1> <x2> <y2> [hold]: the left button from one point to the other, in steps so that
# the targets see the drag, released unless held.
drag() {
    local i
    xdotool mousemove "$1" "$2" mousedown 1
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $(($1 + ($3 - $1) * i / 8)) $(($2 + ($4 - $2) * i / 8))
        sleep 0.05
    done
    [ "${5-}" = hold ] || xdotool mouseup 1
}
click_at() { xdotool mousemove "$1" "$2" click "${3:-1}"; }

# manifest <folder...>: "sha1 path" for every file below the folders, sorted by path.
manifest() { find "$@" -type f -print0 | sort -z | xargs -0 -r sha1sum; }

# start_session <serial line> <numbers line> [head name...]: the program on its own display, on
# the folder screen, with a Pirapo.ini naming $src and $dest0 .. $dest10.
start_session() {
    local serials=$1 numbers=$2 k
    shift 2
    mkdir -p "$prog"
    cp "$program" "$prog/"
    cp "$(dirname "$program")"/{libmpng.so*,Error.jpg} "$prog/" 2>/dev/null || true
    {
        printf '"%s"\r\n' "$src"
        for k in 0 1 2 3 4 5 6 7 8 9 10; do mkdir -p "$dest$k" && printf '"%s%s/"\r\n' "$dest" "$k"; done
        for k in 0 1 2 3 4 5 6 7 8 9; do printf '"%s"\r\n' "${1-}" && { [ $# -eq 0 ] || shift; }; done
        printf '%s\r\n' "$serials" "$numbers"
    } >"$prog/Pirapo.ini"
    start_display
    (cd "$work" && exec "$prog/pirapo-lumo") >"$work/app.log" 2>&1 &
    app_pid=$!
    await_main_window
}

# copy_photos: the camera photos of the test data into $src as IMG_0001.JPG ...
copy_photos() {
    local f n=0
    mkdir -p "$src"
    for f in "$testdata"/photos/*.jpg; do
        n=$((n + 1)) && cp "$f" "$src/$(printf 'IMG_%04d.JPG' "$n")"
    done
    [ "$n" -gt 0 ] || fail "no test photos in $testdata/photos"
}

# ---- the folder screen: 実行 and 終了 below the lists at the right, the viewer from the file list.
exit_from_folder_screen() {
    geometry
    click_at $((X + 380)) $((Y + menu + 200))
}
viewer=
viewer_open() { viewer=$(window_named "^ピラポくんViewer${1-}") && [ -n "$viewer" ]; }
viewer_closed() { [ -z "$(window_named '^ピラポくんViewer')" ]; }
open_viewer_from_list() {
    xdotool mousemove $((X + 260)) $((Y + menu + 20)) click --repeat 2 --delay 80 1 # the first row
    wait_for 30 "the viewer" viewer_open "  $1"
}

# ---- the board: 64-pixel boxes from its top-left, targets 0..9 along the bottom, the toolbar on top.
# At 96 dpi with the IPA font: the toolbar is 39 pixels high, the targets 33, the status bar 18.
# A page that does not fill the board spreads over the width in as few even rows as it needs:
# board_layout again after a refill that changed the page ($page, or the files of $src; $listed
# when not every file has a thumbnail).
page=${page:-10}
board_layout() {
    geometry
    local tiles
    tiles=${listed:-$(find "$src" -maxdepth 1 -type f | wc -l)}
    [ "$tiles" -lt "$page" ] || tiles=$page
    board_top=$((Y + menu + 39)) label_y=$((Y + HEIGHT - 18 - 17)) all_columns=$((WIDTH / 64))
    local rows=$(((tiles + all_columns - 1) / all_columns))
    [ "$rows" -gt 0 ] || rows=1
    columns=$(((tiles + rows - 1) / rows)) && [ "$columns" -gt 0 ] || columns=1
    pitch=$((WIDTH / columns))
}
tile_x() {
    local middle=32
    [ "$columns" -lt "$all_columns" ] && middle=$((WIDTH / (2 * columns)))
    echo $((X + ($1 % columns) * WIDTH / columns + middle))
}
tile_y() { echo $((board_top + ($1 / columns) * 64 + 32)); }
tile_shown() { [ "$(pixel "$(tile_x "$1")" "$(tile_y "$1")")" != "$background" ]; }
tile_empty() { ! tile_shown "$1"; }
label_x() { echo $((X + WIDTH * (2 * $1 + 1) / 20)); }
# Target 9 lights up blue under a drag: its colour beside the name.
label9_colour() { pixel $(($(label_x 9) - 45)) "$label_y"; }
label9_is() { [ "$(label9_colour)" = "$1" ]; }

# The undo arrow is blue like the cancel arrow, in colour once undo is possible; 終了's icon is red.
blue='r < 120 && g > 70 && g < 170 && b > 170'
undo_x=
undo_enabled() {
    local col
    for col in $(columns_where "$toolbar_row" "$blue"); do
        case " $blue_before " in *" $col "*) ;; *) undo_x=$col && return 0 ;; esac
    done
    return 1
}
click_undo() {
    wait_for 30 "the toolbar's undo button to be enabled" undo_enabled
    click_at "$undo_x" "$toolbar_row"
}

# open_board: 実行, and the board over the whole screen (there is no panel) with its first thumbnail.
open_board() {
    click_at $((X + 284)) $((Y + menu + 200))
    wait_for 30 "the board" eval 'geometry && [ "$FW" -eq "${screen%x*}" ]'
    board_layout
    toolbar_row=$((Y + menu + 16)) background=$(pixel $((X + WIDTH / 2)) $((Y + HEIGHT / 2)))
    wait_for 30 "the first thumbnail" tile_shown 0
    blue_before=$(columns_where "$toolbar_row" "$blue" | tr '\n' ' ')
}

exit_from_toolbar() {
    local exit_x
    exit_x=$(columns_where "$toolbar_row" 'r > 170 && g < 90 && b < 90' | head -n1)
    [ -n "$exit_x" ] || fail "the exit button was not found on the toolbar"
    click_at $((exit_x + 3)) "$toolbar_row"
    wait_program_end
}

# ini_line <n>: line n of the Pirapo.ini written at exit, without its CR.
ini_line() { sed -n "$1p" "$prog/Pirapo.ini" | tr -d '\r'; }
expect_serials() {
    [ "$(wc -l <"$prog/Pirapo.ini")" -eq 24 ] || fail "Pirapo.ini does not have 24 lines"
    [ "$(ini_line 23)" = "$1" ] || fail "serial line reads '$(ini_line 23)', expected $1"
}
