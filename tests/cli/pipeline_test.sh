#!/usr/bin/env bash
# morvane between two real ffmpeg processes: every supported chroma format and
# depth through pipes, read back by ffprobe; a cut stream and a bad header.
# Usage: pipeline_test.sh MORVANE FFMPEG FFPROBE
set -uo pipefail
morvane=$1 ffmpeg=$2 ffprobe=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
source_stream() {  # source_stream PIX_FMT FRAMES
  "$ffmpeg" -v error -f lavfi -i testsrc2=size=96x54:rate=25 -frames:v "$2" -pix_fmt "$1" -strict -1 -f yuv4mpegpipe -
}
probe() {  # probe FILE-OR-DASH: width,height,pix_fmt,frames
  "$ffprobe" -v error -count_frames -show_entries stream=width,height,pix_fmt,nb_read_frames -of csv=p=0 \
    -f yuv4mpegpipe "$1"
}

for fmt in yuv420p yuv422p yuv444p yuv420p16le yuv422p16le yuv444p16le; do
  got=$(source_stream "$fmt" 7 | "$morvane" resize - - --size 131x37 --quiet | probe -)
  check "$fmt through a pipe" "131,37,$fmt,7" "$got"
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
check "cut stream passes on the complete frames" "48,27,yuv420p,4" "$(probe "$work/cut.y4m")"

# A header the tool does not take.
printf 'YUV4MPEG2 W64 H36 F25:1 It A1:1 C420jpeg\nFRAME\n' |
  "$morvane" resize - - --size 32x18 2>"$work/bad.err" >"$work/bad.y4m"
status=$?
check "interlaced header exits nonzero" "1" "$status"
check "interlaced header says so" "1" "$(grep -c "standard input: unsupported y4m interlacing 'It'" "$work/bad.err")"
check "interlaced header writes nothing" "0" "$(stat -c %s "$work/bad.y4m")"

echo "$failures failed"
[ "$failures" -eq 0 ]
