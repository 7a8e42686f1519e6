#!/usr/bin/env bash
# Reads the export and import tables of the built plug-in: GetFilterTable must
# be the only export, undecorated, and every import a system library.
# usage: check_dll_tables.sh OBJDUMP PLUGIN.auf
set -euo pipefail
objdump=$1
plugin=$2
tables=$("$objdump" -p "$plugin")

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' <<<"$tables")
imports=$(awk '/DLL Name:/ {print $3}' <<<"$tables")
status=0

if [ "$exports" != "GetFilterTable" ]; then
  echo "exports: expected only GetFilterTable, found: ${exports:-(none)}"
  status=1
fi
if [ -z "$imports" ]; then
  echo "imports: none found (is the file a DLL?)"
  status=1
fi
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll) ;;
    *)
      echo "imports: $dll is not a system library"
      status=1
      ;;
  esac
done
if ! grep -q 'Magic.*010b' <<<"$tables"; then
  echo "not a 32-bit (PE32) file"
  status=1
fi
echo "exports: $(echo $exports); imports: $(echo $imports)"
exit $status
