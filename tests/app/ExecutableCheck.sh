#!/usr/bin/env bash
# vtassoc.exe as linked, read on the build machine: it imports only DLLs that Windows always takes
# from System32, asks for ASLR with high entropy and DEP, and carries its version resource.
# Arguments: vtassoc.exe, the toolchain's objdump and windres, the project's version.
set -uo pipefail
exe=$1 objdump=$2 windres=$3 version=$4 status=0
headers=$("$objdump" -p "$exe") || exit 1
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $imports
grep -vxE '(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comdlg32|msvcrt)\.dll' \
  <<<"$imports" && { echo "FAILED: imports the DLLs above" >&2; status=1; }
flags=$(sed -n 's/^DllCharacteristics[[:space:]]*//p' <<<"$headers")
echo "DllCharacteristics: $flags"
# HIGH_ENTROPY_VA 0x20, DYNAMIC_BASE 0x40, NX_COMPAT 0x100
(( (0x${flags:-0} & 0x160) == 0x160 )) || { echo "FAILED: DllCharacteristics" >&2; status=1; }
resources=$("$windres" -i "$exe" -O rc)
for line in "FILEVERSION ${version//./, }" "PRODUCTVERSION ${version//./, }" 'BLOCK "080904B0"' \
            'VALUE "FileDescription", "VT File Associations"' 'VALUE "InternalName", "vtassoc"' \
            'VALUE "ProductName", "VT File Associations"' 'VALUE "OriginalFilename", "vtassoc.exe"' \
            "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\""; do
  grep -qF -- "$line" <<<"$resources" || { echo "FAILED: no $line" >&2; status=1; }
done
exit $status
