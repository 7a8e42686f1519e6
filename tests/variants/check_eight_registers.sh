#!/usr/bin/env bash
# Reads the code of the kernels built with MORVANE_EIGHT_REGISTERS: none may
# name a vector register past the eighth, nor r10-r15 (r8 and r9 only pass
# call arguments), so that their walks run with the registers 32-bit code has.
# usage: check_eight_registers.sh OBJDUMP OBJECT...
set -euo pipefail
objdump=$1
shift
status=0
for object in "$@"; do
  code=$("$objdump" -d --no-show-raw-insn "$object")
  found=$(grep -E '%([xyz]mm(8|9|[12][0-9]|3[01])|r1[0-5][dwb]?)\b' <<<"$code" || true)
  if [ -n "$found" ]; then
    echo "$(basename "$object") uses registers 32-bit code lacks:"
    head -5 <<<"$found"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "checked $# engine objects: no vector register past the eighth, no r10-r15"
exit "$status"
