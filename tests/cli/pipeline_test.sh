#!/usr/bin/env bash
# morvane between two real ffmpeg processes: every y4m format it reads,
# through pipes and read back by ffprobe (size, format, range, siting and
# frames as sent; at the stream's own size, the very bytes); every PNG type;
# a 4:2:0 round trip whose chroma must come back at least as well as the
# luma; a cut stream and a bad header.
# Usage: pipeline_test.sh MORVANE FFMPEG FFPROBE
set -uo pipefail
morvane=$1 ffmpeg=$2 ffprobe=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
source_stream() {  # source_stream PIX_FMT FRAMES [FFMPEG OUTPUT OPTIONS...]
  local fmt=$1 frames=$2
  shift 2
  "$ffmpeg" -nostdin -v error -f lavfi -i testsrc2=size=96x54:rate=25 -frames:v "$frames" -pix_fmt "$fmt" "$@" \
    -strict -1 -f yuv4mpegpipe -
}
probe() {  # probe FILE-OR-DASH: width,height,pix_fmt,color_range,chroma_location,frames
  "$ffprobe" -v error -count_frames \
    -show_entries stream=width,height,pix_fmt,color_range,chroma_location,nb_read_frames -of csv=p=0 \
    -f yuv4mpegpipe "$1"
}

# One row per format the tool reads: ffmpeg's pixel format, its output
# options, and the tool's options.
while IFS='|' read -r fmt ffmpeg_options tool_options; do
  what="$fmt${ffmpeg_options:+ $ffmpeg_options}${tool_options:+ $tool_options}"
  # shellcheck disable=SC2086
  source_stream "$fmt" 7 $ffmpeg_options >"$work/in.y4m"
  sent=$(probe "$work/in.y4m")
  # shellcheck disable=SC2086
  got=$("$morvane" resize - - --size 131x37 --quiet $tool_options <"$work/in.y4m" | probe -)
  check "$what through a pipe" "131,37,${sent#*,*,}" "$got"
  if [ -z "$tool_options" ]; then
    "$morvane" resize "$work/in.y4m" "$work/same.y4m" --size 96x54 --quiet
    check "$what at its own size passes unchanged" "" "$(cmp "$work/in.y4m" "$work/same.y4m" 2>&1)"
  fi
done <<'ROWS'
yuv420p||
yuv422p||
yuv444p||
yuv420p10le||
yuv422p10le||
yuv444p10le||
yuv420p12le||
yuv422p12le||
yuv444p12le||
yuv420p16le||
yuv422p16le||
yuv444p16le||
gray||
gray10le||
gray12le||
gray16le||
yuvj420p||
yuvj422p||
yuvj444p||
yuv420p10le|-color_range pc|
yuv420p|-chroma_sample_location left|
yuv420p|-chroma_sample_location topleft|
yuv420p||--via-yc48
yuv422p12le||--via-yc48
yuvj420p||--via-yc48
yuv444p16le||--keep-16-bits
gray16le||--keep-16-bits
yuv420p||--antialias
yuv422p10le||--antialias --via-yc48
ROWS

# PNG pictures that ffmpeg makes, read back by ffprobe: type and depth as
# made (palette pictures come back as RGB, 1-bit grey as 8-bit grey).
while IFS='|' read -r fmt expected tool_options; do
  "$ffmpeg" -nostdin -y -v error -f lavfi -i testsrc2=size=96x54 -frames:v 1 -pix_fmt "$fmt" "$work/in.png"
  # shellcheck disable=SC2086
  "$morvane" resize "$work/in.png" "$work/out.png" --size 131x37 $tool_options
  check "PNG $fmt${tool_options:+ $tool_options}" "131,37,$expected" \
    "$("$ffprobe" -v error -show_entries stream=width,height,pix_fmt -of csv=p=0 "$work/out.png")"
done <<'ROWS'
gray|gray|
ya8|ya8|
rgb24|rgb24|
rgba|rgba|
gray16be|gray16be|
ya16be|ya16be|
rgb48be|rgb48be|
rgba64be|rgba64be|
rgba64be|rgba64be|--keep-16-bits
rgba|rgba|--straight-alpha
rgba64be|rgba64be|--antialias
pal8|rgb24|
monob|gray|
ROWS

# A 4:2:0 round trip, twice the size and back, of a picture with camera-like
# (band-limited) detail: each plane resized at its own size and depth brings
# every plane back better than the editor's way, the luma because codes are
# rounded to nearest (no darkening), the chroma because it keeps its
# resolution.
worst() {  # worst FILE FIELD: the lowest psnr_FIELD of the frames
  grep -o "psnr_$2:[0-9.inf]*" "$1" | cut -d: -f2 | sed 's/inf/999/' | sort -g | head -1
}
for fmt in yuv420p yuv420p10le; do
  "$ffmpeg" -nostdin -y -v error -f lavfi -i testsrc2=size=768x432:rate=25,scale=192:108 -frames:v 3 \
    -pix_fmt "$fmt" -strict -1 -f yuv4mpegpipe "$work/src.y4m"
  for way in planes via-yc48; do
    option=
    [ $way = via-yc48 ] && option=--via-yc48
    # shellcheck disable=SC2086
    "$morvane" resize "$work/src.y4m" "$work/up.y4m" --size 384x216 --quiet $option &&
      "$morvane" resize "$work/up.y4m" "$work/back-$way.y4m" --size 192x108 --quiet $option
    "$ffmpeg" -nostdin -v error -f yuv4mpegpipe -i "$work/back-$way.y4m" -f yuv4mpegpipe \
      -i "$work/src.y4m" -lavfi "psnr=stats_file=$work/psnr-$way.txt" -f null - 2>/dev/null
  done
  for plane in y u v; do
    own=$(worst "$work/psnr-planes.txt" $plane)
    editor=$(worst "$work/psnr-via-yc48.txt" $plane)
    # At 10 bits YC48 keeps every luma code too: there the luma need only be
    # about as good (the two round at other places).
    check "$fmt round trip: $plane ($own dB) at least as good as through YC48 ($editor dB)" 1 \
      "$(awk -v c="$own" -v e="$editor" -v p=$plane 'BEGIN { print (c > e || (p == "y" && c >= e - 0.3)) }')"
  done
done

# The README's pipeline: decode, resize, encode; the result plays back at the new size.
source_stream yuv420p 10 | "$morvane" resize - - --size 192*108 |
  "$ffmpeg" -v error -f yuv4mpegpipe -i - -c:v ffv1 -y "$work/out.mkv"
check "ffmpeg | morvane | ffmpeg" "192,108,10" \
  "$("$ffprobe" -v error -count_frames -show_entries stream=width,height,nb_read_frames -of csv=p=0 "$work/out.mkv")"

# A stream cut inside its fifth frame: four frames come out, then the error.
source_stream yuv420p 5 >"$work/five.y4m"
size=$(stat -c %s "$work/five.y4m")
head -c $((size - 100)) "$work/five.y4m" | "$morvane" resize - - --size 48x27 2>"$work/cut.err" >"$work/cut.y4m"
status=$?
check "cut stream exits nonzero" "1" "$status"
check "cut stream says so" "1" "$(grep -c 'standard input: truncated stream: frame 5' "$work/cut.err")"
check "cut stream passes on the complete frames" "48,27,yuv420p,unknown,center,4" "$(probe "$work/cut.y4m")"

# A header the tool does not take.
printf 'YUV4MPEG2 W64 H36 F25:1 It A1:1 C420jpeg\nFRAME\n' |
  "$morvane" resize - - --size 32x18 2>"$work/bad.err" >"$work/bad.y4m"
status=$?
check "interlaced header exits nonzero" "1" "$status"
check "interlaced header says so" "1" "$(grep -c "standard input: unsupported y4m interlacing 'It'" "$work/bad.err")"
check "interlaced header writes nothing" "0" "$(stat -c %s "$work/bad.y4m")"

echo "$failures failed"
[ "$failures" -eq 0 ]
