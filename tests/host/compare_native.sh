#!/usr/bin/env bash
# Frames through the plug-in in testhost.exe (under Wine) against the native
# command-line tool on the same input: the bytes must be identical, for 1, 4
# and 24 host threads and without exec_multi_thread_func, horizontal and
# vertical first. Skips (exit 77) when the native tool has not been built.
# usage: compare_native.sh WINE_RUN TESTHOST_EXE PLUGIN NATIVE_TOOL WRITE_TEST_FRAME_EXE
set -euo pipefail
wine_run=$1
testhost=$2
plugin=$3
native=$4
write_test_frame=$5

if [ ! -x "$native" ]; then
  echo "SKIP: no native tool at $native (build the native preset first)"
  exit 77
fi

work=native_compare
rm -rf "$work"
mkdir -p "$work"

# frame size, target size; each frame the smooth test image of its index
# (tests/support)
cases=("640x480 1280x720" "641x479 211x157" "100x50 40x80" "333x251 500x199")
status=0
i=0
frame_options=()
for c in "${cases[@]}"; do
  read -r in_size out_size <<<"$c"
  "$wine_run" "$write_test_frame" "${in_size%x*}" "${in_size#*x}" "$i" "$work/in_$i.yc48"
  for vf in 0 1; do
    flag=()
    [ "$vf" = 1 ] && flag=(--vertical-first)
    "$native" resize "$work/in_$i.yc48" "$work/native_${i}_$vf.yc48" --input-size "$in_size" --size "$out_size" "${flag[@]}"
    frame_options+=(--frame "$work/in_$i.yc48" --frame-size "$in_size" --track "${out_size/x/,}" --check "$vf"
      --out "$work/host_${i}_$vf.yc48")
  done
  i=$((i + 1))
done

for threads in 0 1 4 24; do
  rm -f "$work"/host_*.yc48
  "$wine_run" "$testhost" "$plugin" --threads "$threads" "${frame_options[@]}" >"$work/log_$threads.txt"
  for ((j = 0; j < i; j++)); do
    for vf in 0 1; do
      if ! cmp "$work/native_${j}_$vf.yc48" "$work/host_${j}_$vf.yc48"; then
        echo "differs: case ${cases[$j]}, vertical first $vf, $threads host threads"
        status=1
      fi
    done
  done
done
[ $status = 0 ] && echo "identical to the native tool: ${#cases[@]} sizes x 2 orders x 4 thread settings"
exit $status
