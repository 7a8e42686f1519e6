#!/usr/bin/env bash
# The progress line: shown on a terminal for a stream that runs over a second,
# never with --quiet. The stream comes at real-time pace (15 frames at 10 per
# second), and `script` gives the tool a terminal for its standard error.
# Usage: progress_test.sh MORVANE FFMPEG
set -uo pipefail
morvane=$1 ffmpeg=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$ffmpeg" -v error -f lavfi -i testsrc2=size=64x36:rate=10 -frames:v 15 -f yuv4mpegpipe "$work/in.y4m"
failures=0
for quiet in "" "--quiet"; do
  script -qec "'$ffmpeg' -v error -re -i '$work/in.y4m' -f yuv4mpegpipe - | '$morvane' resize - '$work/out.y4m' --size 32x18 $quiet" \
    /dev/null >"$work/screen.txt" </dev/null
  shown=$(grep -c 'frames/s' "$work/screen.txt")
  if [ -z "$quiet" ] && ! grep -q '15 frames, ' "$work/screen.txt"; then
    echo "FAIL: no final progress line of 15 frames:"; cat -v "$work/screen.txt"; failures=$((failures + 1))
  fi
  if [ -n "$quiet" ] && [ "$shown" -ne 0 ]; then
    echo "FAIL: --quiet still showed progress:"; cat -v "$work/screen.txt"; failures=$((failures + 1))
  fi
done
echo "$failures failed"
[ "$failures" -eq 0 ]
