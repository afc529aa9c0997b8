#!/usr/bin/env bash
# The Debian package of this build: control fields, files, lintian; unpacked into a scratch root,
# the files the program reads from its folder as shipped; its program started through the menu
# entry's command, by a link to the launcher, as an ordinary user under Xvfb finds its decoder in
# its own folder (the help page and Error.jpg come from the same folder) and, that folder not being
# writable, keeps its settings in the user's configuration folder without a message.
# Usage: e2e_deb.sh <cpack> <build folder> <version> <libdir> <source folder>
set -euo pipefail
cpack=$1 build=$2 version=$3 libdir=$4 source=$5
extra_tools="dpkg-deb dpkg-shlibdeps lintian appstreamcli setpriv"
# shellcheck source=../e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"
chmod 755 "$work" # the ordinary user reads the unpacked tree below it
app_id=io.github.pirapo_lumo.PirapoLumo

step "building the package"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
deb=$work/pkg/pirapo-lumo_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"), only: $(ls "$work/pkg")"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
# The font is named by hand; the rest comes from the libraries of the program and the decoder.
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-ipafont-gothic libqt6widgets6 libpng16-16 qt6-image-formats-plugins; do
    grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

# No maintainer scripts: with a postrm, dpkg keeps the package registered after a remove.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Evx '\./(control|md5sums)?' || true)
[ -z "$scripts" ] || fail "the package has maintainer scripts: $scripts"

# Every file, with its mode and owner; nothing of the build or the tests slips in.
prog_dir=usr/$libdir/pirapo-lumo
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3 >"$work/files"
share=usr/share icons=usr/share/icons/hicolor
{
    printf -- '-rwxr-xr-x root/root ./%s\n' usr/bin/pirapo-lumo "$prog_dir/pirapo-lumo"
    printf -- '-rw-r--r-- root/root ./%s\n' "$prog_dir"/{libmpng.so,Error.jpg,Readme.txt,help/help.htm} \
        $share/{applications/$app_id.desktop,metainfo/$app_id.metainfo.xml,man/man1/pirapo-lumo.1.gz} \
        $icons/{48x48,128x128,256x256}/apps/$app_id.png $icons/scalable/apps/$app_id.svg \
        $share/doc/pirapo-lumo/{changelog.gz,copyright}
} | sort -k3 >"$work/expected"
diff -u "$work/expected" "$work/files" >"$work/files.diff" || fail "the package's files differ: $(cat "$work/files.diff")"

step "lintian" # run as root, it says so on stderr; its verdict is on stdout
lintian --fail-on error --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.log" | sed 's/^/  lintian: /' ||
    fail "lintian finds errors: $(cat "$work/lintian.log")"

root=$work/root
dpkg -x "$deb" "$root"
appstreamcli validate-tree --no-net --strict "$root" >"$work/appstream.log" 2>&1 ||
    fail "the metainfo in the package is not valid: $(cat "$work/appstream.log")"
prog=$root/$prog_dir
for f in Readme.txt Error.jpg help/help.htm; do
    cmp -s "$source/resources/$f" "$prog/$f" || fail "$f differs from the shipped file"
done

# As root, the program runs as nobody: an ordinary user. Either way it cannot write its folder.
home=$work/home
mkdir -p "$home" "$work/bin"
chmod 555 "$prog"
trap 'chmod -R u+w "$work"; e2e_cleanup' EXIT
user=$(id -un) as_user=()
if [ "$(id -u)" -eq 0 ]; then
    user=nobody as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
fi
ln -s "$root/usr/bin/pirapo-lumo" "$work/bin/" # as one in ~/bin would

step "starting the menu entry's command as $user"
start_display
[ "$(id -u)" -ne 0 ] || chown nobody "$home" "$XDG_RUNTIME_DIR"
command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$app_id.desktop")
# shellcheck disable=SC2086 # the command line of the desktop entry, split as a launcher would
(cd "$home" && exec env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" \
    PATH="$work/bin:$PATH" "${as_user[@]}" $command) >"$work/app.log" 2>&1 &
app_pid=$!
await_main_window

grep -q " $prog/libmpng.so$" "/proc/$app_pid/maps" ||
    fail "the decoder library was not loaded from $prog: $(grep mpng "/proc/$app_pid/maps" || echo none)"

step "closing"
exit_from_folder_screen
xdotool mousemove 0 $((Y + HEIGHT + 100)) # no tooltip to count as a window
no_message() { [ "$(app_windows)" -le 1 ] || fail "a message was shown when the program closed"; }
ended_quietly() { no_message && program_ended; }
wait_for 30 "the program to end" ended_quietly
wait_program_end

ini=$home/.config/pirapo-lumo/Pirapo.ini
[ -f "$ini" ] && [ "$(wc -l <"$ini")" -eq 24 ] || fail "the settings were not written to $ini"
echo "PASS: $(basename "$deb") builds, passes lintian, and its program runs from $prog_dir as an ordinary user"
