#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in the prefix named by QOR_WINEPREFIX, quietly. Windows
# programs end their output lines with CR LF; the CRs are dropped so that CTest reads test lists and
# results as from a native program. The output goes through a file, not a pipe: Wine's service processes
# may inherit the program's output and would hold a pipe open after the program ends.
: "${QOR_WINEPREFIX:?QOR_WINEPREFIX names the Wine prefix}"
export WINEPREFIX=$QOR_WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine64
output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$wine" "$@" > "$output" 2>&1 < /dev/null
status=$?
# Now and then Wine fails to start a program at all: it ends at once, unsuccessfully, having written
# nothing (not even the test program's first line). Such a run is tried once more; a program that itself
# fails before writing anything fails the second time too.
if [ $status -ne 0 ] && [ ! -s "$output" ]; then
  echo "wine-run.sh: $1 ended with status $status and no output; running it again" >&2
  "$wine" "$@" > "$output" 2>&1 < /dev/null
  status=$?
fi
tr -d '\r' < "$output"
exit $status
