#!/bin/sh
# Checks impborl.dll: exactly the exports _crc32, _explode and _implode, and imports from
# system DLLs only (no libgcc, libstdc++ or winpthread beside it).
#   check_impborl_exports.sh OBJDUMP DLL
set -u
objdump="$1"
dll="$2"
dump="$("$objdump" -p "$dll")" || { echo "cannot read $dll with $objdump"; exit 1; }

# Export lines of the table look like "	[   0] +base[   1]  0000 _crc32".
exports="$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
           sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\(.*\)$/\1/p' | awk '{print $NF}' | sort | tr '\n' ' ')"
imports="$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')"

status=0
if [ "$exports" != "_crc32 _explode _implode " ]; then
  echo "unexpected exports: '$exports' (want '_crc32 _explode _implode ')"
  status=1
fi
[ -n "$imports" ] || { echo "no import table found"; status=1; }
for lib in $imports; do
  case "$lib" in
    kernel32.dll|msvcrt.dll|user32.dll|ntdll.dll|api-ms-win-crt-*.dll|ucrtbase.dll) ;;
    *) echo "non-system import: $lib"; status=1 ;;
  esac
done
[ $status -eq 0 ] && echo "impborl exports: $exports; imports: $imports"
exit $status
