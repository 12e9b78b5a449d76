#!/usr/bin/env bash
# scripts/run as a user starts it, with an IDF file named by a Linux path, absolute or relative to
# the current directory: the program gets the file, its row shows in the list, and scripts/run
# ends with the program. Runs in the Wine session of the tests (scripts/test sets WINE, WINEPREFIX
# and DISPLAY); scripts/run takes that session on.
# Arguments: the project folder, vtassoc.exe, run_script_check.exe.
set -euo pipefail
root=$1 tool=$2 check=$3
: "${WINE:?run this inside scripts/wine-session}"

work=$(mktemp -d /tmp/vtassoc-run-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/my defs"

status=0
# extension | directory scripts/run starts in | its argument
while IFS='|' read -r ext from argument; do
  printf 'AddExt(ext=%s,file=C:\\windows\\system32\\shell32.dll,index=3)\r\n' "$ext" \
    >"$work/my defs/$ext.idf"
  (cd "$from" && VT_RUN_EXE="$tool" exec "$root/scripts/run" "$argument") >"$work/run.log" 2>&1 &
  run=$!
  if ! "$WINE" "$check" ".$ext"; then
    echo "FAILED: scripts/run \"$argument\" from $from" >&2
    status=1
  fi
  if ! wait "$run"; then
    echo "FAILED: scripts/run \"$argument\" from $from ended with an error:" >&2
    status=1
  fi
  [ $status -eq 0 ] || { tr -d '\r' <"$work/run.log" >&2; break; }
done <<CASES
zzq|$root|$work/my defs/zzq.idf
zzr|$work|my defs/zzr.idf
CASES
[ $status -eq 0 ] && echo "scripts/run passed IDF files named by absolute and relative Linux paths"
exit $status
