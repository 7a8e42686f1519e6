#!/usr/bin/env bash
# The shared library's dynamic symbols are exactly the calls its header
# declares, and its SONAME carries the major version.
# Usage: exported_names_test.sh LIBRARY HEADER
set -uo pipefail
library=$1
header=$2
exported=$(nm -D --defined-only "$library" | awk '{print $3}' | sed 's/@.*//' | sort -u)
declared=$(grep -o 'morvane_[a-z0-9_]*(' "$header" | tr -d '(' | sort -u)
failures=0
if [ -z "$declared" ] || [ "$exported" != "$declared" ]; then
  echo "FAIL: exported names differ from the header's calls"
  diff <(echo "$declared") <(echo "$exported")
  failures=1
fi
major=$(sed -n 's/^#define MORVANE_VERSION_MAJOR \([0-9]*\)$/\1/p' "$header")
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
if [ "$soname" != "libmorvane.so.$major" ]; then
  echo "FAIL: SONAME is '$soname', not libmorvane.so.$major"
  failures=1
fi
[ $failures = 0 ] && echo "ok: $(echo "$exported" | wc -l) names, all morvane_; SONAME $soname"
exit $failures
