#!/usr/bin/env bash
# Checks that a built program carries the project's version.
# usage: check_version.sh tool VERSION MORVANE
#        check_version.sh record VERSION WINDRES PLUGIN.auf
# tool:   `morvane --version` prints "morvane VERSION" and exits with 0.
# record: the plug-in's version record, dumped by windres, gives VERSION as
#         its file and product version, in numbers and in text, and names
#         the file morvane.auf.
set -uo pipefail
kind=$1
version=$2
status=0
expect() { # WHAT FOUND WANTED
  if [ "$2" != "$3" ]; then
    echo "$1: expected '$3', found '${2:-(nothing)}'"
    status=1
  fi
}

case "$kind" in
  tool)
    said=$("$3" --version)
    expect "morvane --version: exit status" "$?" 0
    expect "morvane --version" "$said" "morvane $version"
    ;;
  record)
    dump=$("$3" -i "$4" -O rc) || { echo "windres could not read the resources of $4"; exit 1; }
    numbers="${version//./,},0"
    field() { sed -n "s/^ *$1 *//p" <<<"$dump" | tr -d ' \r' | head -1; }
    text() { sed -n "s/^ *VALUE \"$1\", \"\\(.*\\)\".*/\\1/p" <<<"$dump" | sed 's/\\0$//' | head -1; }
    expect FILEVERSION "$(field FILEVERSION)" "$numbers"
    expect PRODUCTVERSION "$(field PRODUCTVERSION)" "$numbers"
    expect FileVersion "$(text FileVersion)" "$version"
    expect ProductVersion "$(text ProductVersion)" "$version"
    expect OriginalFilename "$(text OriginalFilename)" "morvane.auf"
    ;;
  *)
    echo "usage: check_version.sh tool|record VERSION ..."
    exit 2
    ;;
esac
[ "$status" -eq 0 ] && echo "$kind: version $version"
exit $status
