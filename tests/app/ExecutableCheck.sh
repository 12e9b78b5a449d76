#!/usr/bin/env bash
# vtassoc.exe as the linker left it, read on the build machine: it imports only DLLs that Windows
# always takes from System32 (a DLL of another name beside the exe would otherwise be loaded), it
# asks for ASLR with high entropy and DEP, and it carries its version resource.
# Arguments: vtassoc.exe, objdump and windres of the toolchain, the project's version.
set -euo pipefail
exe=$1 objdump=$2 windres=$3 version=$4
status=0
fail() { echo "FAILED: $*" >&2; status=1; }

headers=$("$objdump" -p "$exe")
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll
          oleaut32.dll comdlg32.dll msvcrt.dll "
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
  [[ "$allowed" == *" $dll"[[:space:]]* ]] || fail "imports $dll"
done

characteristics=$(sed -n 's/^DllCharacteristics[[:space:]]*//p' <<<"$headers")
# HIGH_ENTROPY_VA 0x20, DYNAMIC_BASE 0x40, NX_COMPAT 0x100
for flag in 0x20 0x40 0x100; do
  (( (0x${characteristics:-0} & flag) == flag )) || fail "DllCharacteristics $characteristics lacks $flag"
done

resources=$("$windres" -i "$exe" -O rc)
numbers=${version//./, }
for line in "FILEVERSION $numbers" "PRODUCTVERSION $numbers" \
            'VALUE "FileDescription", "VT File Associations"' \
            'VALUE "ProductName", "VT File Associations"' \
            'VALUE "OriginalFilename", "vtassoc.exe"' 'VALUE "InternalName", "vtassoc"' \
            "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
            'BLOCK "080904B0"' 'VALUE "Translation", 0x809, 1200'; do
  grep -qF -- "$line" <<<"$resources" || fail "version resource lacks: $line"
done

echo "imports:" $imports
echo "DllCharacteristics: $characteristics"
exit $status
