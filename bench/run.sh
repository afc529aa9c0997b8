#!/usr/bin/env bash
# bench/run.sh BUILD_DIR: makes the test shoot (once, cached in BUILD_DIR/shoot) and runs
# the benchmark on it. RUNS sets how many times each figure is measured (default 5).
set -euo pipefail

build=${1:?usage: bench/run.sh BUILD_DIR}
runs=${RUNS:-5}
bench=$build/bin/lumo_bench
shoot=$build/shoot
wallpapers=/usr/share/wallpapers

for tool in vips jpegtran cjpeg vipsthumbnail heif-enc; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (make bench installs it)" >&2; exit 1; }
done
[ -x "$bench" ] || { echo "bench: $bench is not built" >&2; exit 1; }

# ---- the shoot: 60 photos of 5120 x 2880 from the Plasma wallpapers, re-encoded as
# baseline JPEG at quality 92 with 4:2:0 chroma as cameras write them, and varied
# (mirrored, flipped, turned, cropped) so that no two files are alike.
make_shoot() {
    local tmp=$shoot.tmp
    rm -rf "$tmp" && mkdir -p "$tmp/src"
    mapfile -t sources < <(find "$wallpapers" -path '*/contents/images*/5120x2880.*' | sort)
    [ "${#sources[@]}" -ge 12 ] || { echo "bench: fewer than 12 wallpapers of 5120x2880 in $wallpapers" >&2; exit 1; }
    local s=0
    for src in "${sources[@]:0:12}"; do
        s=$((s + 1))
        vips copy "$src" "$tmp/src/in.ppm"
        cjpeg -quality 92 -baseline -sample 2x2 -outfile "$tmp/src/$s.jpg" "$tmp/src/in.ppm"
    done
    rm -f "$tmp/src/in.ppm"
    local n=0 variant
    for variant in plain mirror flip turn crop; do
        for s in $(seq 1 12); do
            n=$((n + 1))
            local out
            out=$(printf '%s/IMG_%04d.jpg' "$tmp" "$n")
            case $variant in
                plain) cp "$tmp/src/$s.jpg" "$out" ;;
                mirror) jpegtran -copy none -flip horizontal -outfile "$out" "$tmp/src/$s.jpg" ;;
                flip) jpegtran -copy none -flip vertical -outfile "$out" "$tmp/src/$s.jpg" ;;
                turn) jpegtran -copy none -rotate 180 -outfile "$out" "$tmp/src/$s.jpg" ;;
                crop) jpegtran -copy none -crop 4800x2700+160+96 -outfile "$out" "$tmp/src/$s.jpg" ;;
            esac
        done
    done
    rm -rf "$tmp/src"
    rm -rf "$shoot" && mv "$tmp" "$shoot"
}

if [ "$(find "$shoot" -maxdepth 1 -name 'IMG_*.jpg' 2>/dev/null | wc -l)" -ne 60 ]; then
    echo "bench: making the shoot in $shoot" >&2
    make_shoot
fi

# ---- 24 MP photos (6000 x 4000) for the viewer's digit keys: the first 12 of the shoot enlarged.
shoot24=$build/shoot24
if [ "$(find "$shoot24" -maxdepth 1 -name 'IMG_*.jpg' 2>/dev/null | wc -l)" -ne 12 ]; then
    echo "bench: making the 24 MP photos in $shoot24" >&2
    rm -rf "$shoot24.tmp" && mkdir -p "$shoot24.tmp"
    for i in $(seq 1 12); do
        name=$(printf 'IMG_%04d.jpg' "$i")
        vips resize "$shoot/$name" "$shoot24.tmp/$name[Q=92]" 1.171875 --vscale 1.388889
    done
    rm -rf "$shoot24" && mv "$shoot24.tmp" "$shoot24"
fi

# ---- the same photos as a phone writes them: HEIC with a 320-pixel thumbnail embedded,
# and without one (the board then decodes the whole picture).
make_heic() { # FOLDER [heif-enc options]
    local dir=$1 n name
    shift
    [ "$(find "$dir" -maxdepth 1 -name 'IMG_*.heic' 2>/dev/null | wc -l)" -eq 12 ] && return
    echo "bench: making the HEIC shoot in $dir" >&2
    rm -rf "$dir.tmp" && mkdir -p "$dir.tmp"
    for n in $(seq 1 12); do
        name=$(printf 'IMG_%04d' "$n")
        heif-enc -q 60 "$@" -o "$dir.tmp/$name.heic" "$shoot/$name.jpg" >/dev/null
    done
    rm -rf "$dir" && mv "$dir.tmp" "$dir"
}
heic=$build/shoot-heic
heic_bare=$build/shoot-heic-bare
make_heic "$heic" -t 320
make_heic "$heic_bare"
# RAW files alone: copies of a camera's RAF, shown from the preview it embeds.
raw=${LUMO_TESTDATA:-$(dirname "$0")/../../shared/testdata}/camera/FujiFilm.raf
[ -f "$raw" ] || { echo "bench: $raw is missing: the RAW page is not measured" >&2; raw=; }

echo "bench: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); medians of $runs runs" >&2
nice -n 5 "$bench" --shoot "$shoot" --work "$build/bench-work" --runs "$runs" --shoot24 "$shoot24" \
    --vips "$(command -v vipsthumbnail)" --heic-shoot "$heic" --heic_bare-shoot "$heic_bare" --raw "$raw"
