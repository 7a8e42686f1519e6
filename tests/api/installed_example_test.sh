#!/usr/bin/env bash
# The library as a user installs it: the build installed into a scratch
# prefix, the README's example built against it with pkg-config and with
# find_package (shared and static), each build run on a 16-bit grey plane
# and its output compared with the tool's for the same plane as a Cmono16
# y4m stream.
# Usage: installed_example_test.sh BUILD_DIR README MORVANE "C_FLAGS"
set -uo pipefail
build=$1
readme=$2
morvane=$3
export CFLAGS=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
awk '/^```c$/ {on = 1; next} /^```$/ {on = 0} on' "$readme" >"$work/example.c"
[ -s "$work/example.c" ] || { echo "FAIL: no C example in $readme"; exit 1; }

# pkg-config: the .pc file finds its prefix from where it lies.
pc_dir=$(dirname "$(find "$prefix" -name morvane.pc)")
# shellcheck disable=SC2046,SC2086
cc $CFLAGS -o "$work/example-pc" "$work/example.c" \
  $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs morvane) -Wl,-rpath,"$prefix/lib" ||
  fail "the example does not build with pkg-config"

# find_package, against the shared and the static library.
mkdir -p "$work/project"
cp "$work/example.c" "$work/project/"
cat >"$work/project/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(example LANGUAGES C)
find_package(morvane 1 REQUIRED)
add_executable(example-shared example.c)
target_link_libraries(example-shared PRIVATE morvane::morvane)
add_executable(example-static example.c)
target_link_libraries(example-static PRIVATE morvane::morvane_static)
CMAKE
{ cmake -S "$work/project" -B "$work/project/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" &&
  cmake --build "$work/project/build"; } >"$work/project.log" 2>&1 ||
  { cat "$work/project.log"; fail "the example does not build with find_package"; }

# A plane of 16-bit noise, as raw samples and as a y4m stream.
w=67 h=45 tw=150 th=31
head -c $((2 * w * h)) /dev/urandom >"$work/in.raw"
{ printf 'YUV4MPEG2 W%d H%d F25:1 Ip A1:1 Cmono16\nFRAME\n' $w $h; cat "$work/in.raw"; } >"$work/in.y4m"
"$morvane" resize "$work/in.y4m" "$work/out.y4m" --size ${tw}x${th} --quiet ||
  fail "the tool refused the plane"
tail -c $((2 * tw * th)) "$work/out.y4m" >"$work/tool.raw"

for program in example-pc project/build/example-shared project/build/example-static; do
  if [ -x "$work/$program" ]; then
    if "$work/$program" "$work/in.raw" $w $h "$work/$(basename $program).raw" $tw $th &&
      cmp -s "$work/$(basename $program).raw" "$work/tool.raw"; then
      echo "ok: $program gives the tool's bytes"
    else
      fail "$program: its output differs from the tool's"
    fi
  else
    fail "$program was not built"
  fi
done
# The example's own error path: a status in words.
"$work/example-pc" "$work/in.raw" $w $h "$work/none.raw" 0 5 2>"$work/error.txt"
[ $? = 1 ] && grep -q 'zero or negative' "$work/error.txt" ||
  fail "a zero width was not refused with its status text"
exit $((failures > 0))
