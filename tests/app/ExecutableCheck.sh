#!/usr/bin/env bash
# vtassoc.exe as linked, read on the build machine: it imports only DLLs that Windows always takes
# from System32, asks for ASLR with high entropy and DEP, has stack checks compiled in, and carries
# the version that docs/architecture.md tells users, in its version resource and its manifest; the
# resource script and the manifest made for another project version carry that one (they are not
# written by hand). Arguments: vtassoc.exe, the toolchain's objdump and windres, the project's source folder.
set -uo pipefail
exe=$1 objdump=$2 windres=$3 source=$4 status=0
for tool in "$objdump" "$windres"; do
  command -v "$tool" >/dev/null || { echo "FAILED: tool not found: '$tool'" >&2; exit 1; }
done
headers=$("$objdump" -p "$exe") || exit 1
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $imports
grep -vxE '(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comdlg32|msvcrt)\.dll' \
  <<<"$imports" && { echo "FAILED: imports the DLLs above" >&2; status=1; }
flags=$(sed -n 's/^DllCharacteristics[[:space:]]*//p' <<<"$headers")
echo "DllCharacteristics: $flags"
# HIGH_ENTROPY_VA 0x20, DYNAMIC_BASE 0x40, NX_COMPAT 0x100
(( (0x${flags:-0} & 0x160) == 0x160 )) || { echo "FAILED: DllCharacteristics" >&2; status=1; }
checks=$("$objdump" -d "$exe" | grep -c 'call.*<__stack_chk_fail>')
echo "calls of __stack_chk_fail: $checks"
(( checks >= 20 )) || { echo "FAILED: no stack protector in the program's code" >&2; status=1; }

# The version resource and the manifest of a program of the version, as windres shows them.
expect_version() { # resources (windres -O rc) version
  local numbers=${2//./, }
  for line in "FILEVERSION $numbers" "PRODUCTVERSION $numbers" 'BLOCK "080904B0"' \
              'VALUE "FileDescription", "VT File Associations"' 'VALUE "InternalName", "vtassoc"' \
              'VALUE "ProductName", "VT File Associations"' 'VALUE "OriginalFilename", "vtassoc.exe"' \
              "VALUE \"FileVersion\", \"$2\"" "VALUE \"ProductVersion\", \"$2\"" \
              "name=\"\"Veltrano.VTFileAssociations\"\" version=\"\"$2\"\""; do
    grep -qF -- "$line" <<<"$1" || { echo "FAILED: no $line" >&2; status=1; }
  done
}
told=$(tr '\n' ' ' <"$source/docs/architecture.md" |
       grep -oE 'Details: "VT File Associations", version [0-9.]+[0-9]' | sed 's/.* //')
echo "docs/architecture.md: version ${told:-(none)}"
[ -n "$told" ] || { echo "FAILED: docs/architecture.md names no version" >&2; status=1; }
expect_version "$("$windres" -i "$exe" -O rc)" "$told"

other=$(mktemp -d)
trap 'rm -rf "$other"' EXIT
sed 's/@PROJECT_VERSION_MAJOR@/9/; s/@PROJECT_VERSION_MINOR@/8/; s/@PROJECT_VERSION_PATCH@/7/;
     s/@PROJECT_VERSION_TWEAK@/6/; s/@PROJECT_VERSION@/9.8.7.6/' \
  "$source/resources/version.h.in" >"$other/version.h"
sed 's/@PROJECT_VERSION@/9.8.7.6/' "$source/resources/vtassoc.manifest.in" >"$other/vtassoc.manifest"
made=$(cd "$other" && "$windres" -I "$other" -I "$source/resources" "$source/resources/vtassoc.rc" \
       -O rc) || { echo "FAILED: the resource script does not compile" >&2; exit 1; }
expect_version "$made" 9.8.7.6
exit $status
