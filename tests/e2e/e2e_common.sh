# Shared by the end-to-end scripts: a throw-away program folder, a display of our own,
# the real program on it, and helpers to look at the screen. Source it after setting
# `program` (path of pirapo-lumo) and `testdata` (the test data folder).

for tool in Xvfb xdotool import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
# The server is waited for, so that the next run does not meet it going down.
stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log"
    exit 1
}

# wait_for <seconds> <description> <command...>: polls the command until it succeeds.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for: $what"
        sleep 0.1
    done
}

# ---- a throw-away program folder, source folder and destinations
prog=$work/prog
src=$work/src
mkdir -p "$prog" "$src"
cp "$program" "$prog/"
cp "$(dirname "$program")"/libmpng.so* "$prog/" 2>/dev/null || true
n=1
for f in "$testdata"/photos/*.jpg; do
    cp "$f" "$src/$(printf 'IMG_%04d.JPG' "$n")"
    n=$((n + 1))
done
[ -f "$src/IMG_0001.JPG" ] || fail "no test photos in $testdata/photos"
for k in 0 1 2 3 4 5 6 7 8 9 10; do
    mkdir -p "$work/dest$k"
done
{
    printf '"%s"\r\n' "$src"
    for k in 0 1 2 3 4 5 6 7 8 9 10; do printf '"%s/"\r\n' "$work/dest$k"; done
    for k in 0 1 2 3 4 5 6 7 8 9; do printf '""\r\n'; done
    printf '41,0,0\r\n'
    printf '0,0,0,0,0,1,0,64,10,1\r\n' # NameRule 0, RememberFolder 1, ThumbSize 64
} >"$prog/Pirapo.ini"

# ---- a display of our own; Xvfb picks a free number and tells it on fd 3. Without
# -noreset the server resets whenever its last client leaves, and the program would
# find it closed if it connected just after an xdotool call had left.
exec 3>"$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 20 "Xvfb to start" test -s "$work/display"
export DISPLAY=:$(head -n1 "$work/display")
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

(cd "$work" && exec "$prog/pirapo-lumo") >"$work/app.log" 2>&1 &
app_pid=$!

window=
find_window() {
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended early"
    window=$(xdotool search --onlyvisible --name 'ピラポくんLumo' 2>/dev/null | head -n1)
    [ -n "$window" ]
}
wait_for 30 "the main window" find_window

geometry() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
}

# ImageMagick's pixel lines read "x,y: (r,g,b)  #RRGGBB  name", where the name is
# srgb(...) or a colour's own name; the numbers in brackets are always there.

# The colour of one screen pixel as "r,g,b".
pixel() {
    import -window root -crop "1x1+$1+$2" -depth 8 txt:- | sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*,[0-9]*,[0-9]*\).*/\1/p'
}

# Columns of the strip at row $1 whose colour matches the awk condition $2 on r, g, b.
columns_where() {
    import -window root -crop "${WIDTH}x1+$X+$1" -depth 8 txt:- |
        sed -n 's/^\([0-9]*\),0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
        awk "{ r = \$2; g = \$3; b = \$4; if ($2) print \$1 }"
}

# ---- folder screen: the client area is 6555 x 3660 twips (437 x 244 px at 15 twips
# per pixel) below the menu bar; "実行" is at 3600, 2760, 1335 x 495 twips.
geometry
menu=$((HEIGHT - 244))
[ "$menu" -ge 0 ] || fail "unexpected window height $HEIGHT"

# open_board: presses "実行" and waits for the board and its first thumbnail. Sets
# thumb_x/thumb_y (the middle of slot 0's box), background and toolbar_row.
open_board() {
    xdotool mousemove $((X + 284)) $((Y + menu + 200)) click 1
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
    xdotool mousemove $((X + exit_x + 3)) "$toolbar_row" click 1
    ended() { ! kill -0 "$app_pid" 2>/dev/null; }
    wait_for 30 "the program to end" ended
    wait "$app_pid" || fail "the program ended with status $?"
    app_pid=
}

# expect_serials <line>: the serial line of the Pirapo.ini written at exit.
expect_serials() {
    local serial
    serial=$(sed -n '23p' "$prog/Pirapo.ini" | tr -d '\r')
    [ "$serial" = "$1" ] || fail "serial line reads '$serial', expected $1"
    [ "$(wc -l <"$prog/Pirapo.ini")" -eq 24 ] || fail "Pirapo.ini does not have 24 lines"
}
