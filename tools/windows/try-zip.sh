#!/usr/bin/env bash
# Tries the Windows zip as a user would: unpacks it into WORK, makes a fresh Wine prefix there, starts
# QorSprav.exe with BOOK on its command line under Xvfb, waits for its window to show the book, closes it
# as a user does, and checks that it wrote the book's name under HKCU\Software\QOR_Sprav at close.
# Usage: try-zip.sh ZIP BOOK WORK. Leaves a screenshot of the window in WORK/window.png when ImageMagick is
# there.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
source "$QOR_ROOT/tools/windows/wine.sh"
zip=$1 book=$2 work=$3
[ -n "${LOCPATH:-}" ] || qor_russian_locale "$work.locale"  # Windows-1251 as the ANSI code page

rm -rf "$work"
mkdir -p "$work/unpacked" "$work/Справочники"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
exe=$(find "$work/unpacked" -name QorSprav.exe | head -n 1)
[ -n "$exe" ] || { echo "error: no QorSprav.exe in $zip" >&2; exit 1; }
cp "$book" "$work/Справочники/"
prefix="$work/wineprefix"
qor_wine_prefix_begin "$prefix"
qor_wine_prefix_end "$prefix"
wine() { WINEPREFIX=$prefix WINEDEBUG=-all "$QOR_WINE" "$@" < /dev/null; }
book_path=$(wine winepath.exe -w "$work/Справочники/$(basename "$book")" 2> /dev/null | tr -d '\r')
# The test-file folder is set, as on a tester's machine: no start-up question about it.
wine reg add 'HKCU\Software\QOR_Main' /v Dir_Tests /t REG_SZ /d 'C:\' /f > /dev/null
# Wine's services started so far have no display; the program's session starts its own under Xvfb.
qor_wine_stop "$prefix"
WINEPREFIX=$prefix "$QOR_WINESERVER" -w

cat > "$work/session.sh" <<SESSION
set -u
WINEPREFIX='$prefix' WINEDEBUG=-all '$QOR_WINE' '$exe' '$book_path' > '$work/program.log' 2>&1 < /dev/null &
program=\$!
shown=0
for _ in \$(seq 1 120); do
  if xwininfo -root -tree 2> /dev/null | grep -q '$(basename "$book")'; then shown=1; break; fi
  sleep 0.5
done
sleep 2
command -v import > /dev/null && import -window root '$work/window.png' 2> /dev/null
xwininfo -root -tree > '$work/windows.txt' 2>&1
# As the user closes it: the window is asked to close, nothing is killed.
WINEPREFIX='$prefix' WINEDEBUG=-all '$QOR_WINE' taskkill /im QorSprav.exe > /dev/null 2>&1 < /dev/null
for _ in \$(seq 1 60); do kill -0 \$program 2> /dev/null || break; sleep 0.5; done
if kill -0 \$program 2> /dev/null; then echo "QorSprav.exe did not end when asked to close"; kill \$program; exit 1; fi
[ \$shown = 1 ] || { echo "no window showed the book:"; cat '$work/windows.txt'; exit 1; }
SESSION
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh"
# reg.exe writes in the console's code page, which for Russian is CP866, not the log's UTF-8.
stored=$(wine reg query 'HKCU\Software\QOR_Sprav' /v FileName 2>&1 | tr -d '\r' | iconv -f CP866 -t UTF-8)
qor_wine_stop "$prefix"
# The whole path, the Cyrillic folder included: the name arrives as the program was given it.
if ! grep -aqF "$book_path" <<< "$stored"; then
  echo "error: no FileName of the book under HKCU\\Software\\QOR_Sprav after close:" >&2
  echo "$stored" >&2
  exit 1
fi
echo "QorSprav.exe showed $(basename "$book") and stored it at close: $(grep -a FileName <<< "$stored" | tr -s " ")"
