#!/usr/bin/env bash
# Tries the Windows installer as a user and an administrator would, in a fresh Wine prefix with the Russian
# locale: installs it silently; checks the files, the Start menu shortcut, the book's file type and the
# entry in the installed programs; opens a book with a Cyrillic name in a Cyrillic folder through the file
# type, as a double click does, and checks that the program showed it and stored it at close; refuses the
# same version twice; installs a newer version over it (one product, the newer files); refuses the older one
# then; removes it, and checks that nothing of the program is left while the user's settings and books are.
# Fails, saying what, at the first deviation.
# Usage: try-msi.sh BUILD_DIR STAGE MSI BOOK WORK
#   BUILD_DIR and STAGE as for make-msi.sh (the newer version is made from them), MSI made from them.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
source "$QOR_ROOT/tools/windows/wine.sh"
build_dir=$1 stage=$2 msi=$3 book=$4 work=$5
[ -n "${LOCPATH:-}" ] || qor_russian_locale "$work.locale"  # Windows-1251 as the ANSI code page

fail() {
  echo "error: the installer: $*" >&2
  [ -z "${prefix:-}" ] || qor_wine_stop "$prefix"
  exit 1
}

rm -rf "$work"
mkdir -p "$work"
prefix="$work/wineprefix"
qor_wine_prefix_begin "$prefix"

# What the package says of itself (make-msi.sh has checked it against the version record).
msi_property() {
  msiinfo export "$1" Property | tr -d '\r' | sed -n "s/^$2	//p"
}
name=$(msi_property "$msi" ProductName)
version=$(msi_property "$msi" ProductVersion)
publisher=$(msi_property "$msi" Manufacturer)
[ -n "$name" ] && [ -n "$version" ] && [ -n "$publisher" ] || fail "$msi names no product, version or publisher"

# The newer version: the same program under the next build number, its guide marked so that the files
# installed can be told from the older ones. Made while the prefix is being created.
IFS=. read -r major minor build _ <<< "$version"
newer_version="$major.$minor.$((build + 1)).0"
newer_stage="$work/newer-stage"
cp -r "$stage" "$newer_stage"
echo "<!-- $newer_version -->" >> "$newer_stage/QorSprav.html"
bash "$QOR_ROOT/tools/windows/make-msi.sh" "$build_dir" "$newer_stage" "$work/newer.msi" -D ProductVersion="$newer_version"
# The same version built once more: another package of a version already there.
bash "$QOR_ROOT/tools/windows/make-msi.sh" "$build_dir" "$stage" "$work/rebuilt.msi"

qor_wine_prefix_end "$prefix"
# No menu entries for this desktop: the shortcut is looked at in the prefix only.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine() { WINEPREFIX=$prefix WINEDEBUG=-all timeout 180 "$QOR_WINE" "$@" < /dev/null; }
# reg.exe writes in the console's code page, which for Russian is CP866.
reg_query() { { wine reg query "$@" 2>&1 || true; } | tr -d '\r' | iconv -f CP866 -t UTF-8; }
# The default value of a key, or a named one.
reg_value() {
  local key=$1 value=${2:-}
  if [ -n "$value" ]; then
    reg_query "$key" /v "$value" | sed -n "s/^ *$value *REG_[A-Z_]* *//p"
  else
    reg_query "$key" /ve | sed -n 's/^ *([^)]*) *REG_[A-Z_]* *//p'
  fi
}
winpath() { wine winepath.exe -w "$1" 2> /dev/null | tr -d '\r'; }
msiexec() {
  local log=$1
  shift
  wine msiexec "$@" /qn /l*v "$(winpath "$log")"
}

drive_c="$prefix/drive_c"
program_dir="$drive_c/Program Files/QorSprav"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# The products of this upgrade code installed, one line each: "DisplayName|DisplayVersion|Publisher".
installed_products() {
  local code
  for code in $(reg_query "$uninstall_key" | sed -n 's/.*\\\({[0-9A-F-]*}\)$/\1/p'); do
    local key="$uninstall_key\\$code"
    if [ "$(reg_value "$key" DisplayName)" = "$name" ]; then
      echo "$(reg_value "$key" DisplayName)|$(reg_value "$key" DisplayVersion)|$(reg_value "$key" Publisher)"
    fi
  done
}
# Wine puts the Start menu shortcut of a per-machine package among the user's programs, Windows among all
# users' programs: either is the Start menu.
shortcut_path() {
  find "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
       "$drive_c/users/"*/AppData/Roaming/Microsoft/Windows/"Start Menu/Programs" \
       -maxdepth 1 -name "$name.lnk" 2> /dev/null | head -n 1
}

start=$SECONDS
msiexec "$work/install.log" /i "$(winpath "$msi")" || fail "msiexec /i /qn of $(basename "$msi") failed (exit code $?)"
echo "== installed silently in $((SECONDS - start)) s"

# The files, as in the zip.
for file in QorSprav.exe QorSprav.html translations/qtbase_ru.qm licenses/QorSprav.txt licenses/Qt/NOTICE.txt; do
  cmp -s "$stage/$file" "$program_dir/$file" || fail "C:\\Program Files\\QorSprav\\$file is missing or not the packaged one"
done
[ "$(cd "$stage" && find . -type f | sort)" = "$(cd "$program_dir" && find . -type f | sort)" ] ||
  fail "the files installed are not those of the zip: $(diff <(cd "$stage" && find . -type f | sort) <(cd "$program_dir" && find . -type f | sort) | tr '\n' ' ')"
# The icon of the file type is the executable's first one.
wrestool -l --type=14 "$program_dir/QorSprav.exe" | grep -q . || fail "QorSprav.exe holds no icon"

# The shortcut in the Start menu, under the program's Russian name, starting the program with its icon.
shortcut=$(shortcut_path)
[ -n "$shortcut" ] || fail "no shortcut «$name» in the Start menu: $(find "$drive_c" -name '*.lnk' | tr '\n' ' ')"
# A shell link holds its paths in ANSI, in UTF-16 or both.
link_text=$({ strings -a "$shortcut"; strings -a -el "$shortcut"; } | tr -d '\r')
grep -qxF 'C:\Program Files\QorSprav\QorSprav.exe' <<< "$link_text" ||
  fail "the shortcut «$name» does not start C:\Program Files\QorSprav\QorSprav.exe: $(tr '\n' ' ' <<< "$link_text")"
icon=$(sed -n 's/^.*\(C:\\windows\\Installer\\.*\\QorSprav\.ico\)$/\1/p' <<< "$link_text" | head -n 1)
[ -n "$icon" ] || fail "the shortcut «$name» has not the program's icon: $(tr '\n' ' ' <<< "$link_text")"
cmp -s "$build_dir/app/QorSprav.ico" "$drive_c/$(tr '\\' / <<< "${icon#C:\\}")" ||
  fail "the shortcut's icon $icon is not the program's"
echo "shortcut: ${shortcut#"$drive_c/"}"

# The entry in the installed programs.
products=$(installed_products)
[ "$products" = "$name|$version|$publisher" ] ||
  fail "the installed programs show «$products», not «$name|$version|$publisher»"
echo "installed programs: $products"

# The book's file type.
exe_path='C:\Program Files\QorSprav\QorSprav.exe'
[ "$(reg_value 'HKCR\.spr')" = QorSprav.Book ] || fail "*.spr is not of the type QorSprav.Book: $(reg_query 'HKCR\.spr')"
book_type=$(reg_value 'HKCR\QorSprav.Book')
[ "$book_type" = "Справочник аналогов" ] || fail "the book's file type is described as «$book_type»"
[ "$(reg_value 'HKCR\QorSprav.Book\shell\open\command')" = "\"$exe_path\" \"%1\"" ] ||
  fail "Open of a book runs «$(reg_value 'HKCR\QorSprav.Book\shell\open\command')»"
[ "$(reg_value 'HKCR\QorSprav.Book\DefaultIcon')" = "$exe_path,0" ] ||
  fail "the book's icon is «$(reg_value 'HKCR\QorSprav.Book\DefaultIcon')»"
echo "file type: .spr -> QorSprav.Book «$book_type», open: $(reg_value 'HKCR\QorSprav.Book\shell\open\command')"

# A book opened through its file type, as a double click in Explorer does: "start" finds the program by
# the book's type. The test-file folder is set, as on a tester's machine: no start-up question about it.
books="$drive_c/Справочники"
mkdir -p "$books"
cp "$book" "$books/демо.spr"
book_path='C:\Справочники\демо.spr'
wine reg add 'HKCU\Software\QOR_Main' /v Dir_Tests /t REG_SZ /d 'C:\' /f > /dev/null
# Wine's services started so far have no display; the session starts its own under Xvfb.
qor_wine_stop "$prefix"
WINEPREFIX=$prefix "$QOR_WINESERVER" -w
cat > "$work/session.sh" <<SESSION
set -u
export WINEPREFIX='$prefix' WINEDEBUG=-all WINEDLLOVERRIDES='$WINEDLLOVERRIDES'
'$QOR_WINE' cmd /c start "" '$book_path' > '$work/start.log' 2>&1 < /dev/null
shown=0
for _ in \$(seq 1 120); do
  if xwininfo -root -tree 2> /dev/null | grep -q 'демо.spr'; then shown=1; break; fi
  sleep 0.5
done
xwininfo -root -tree > '$work/windows.txt' 2>&1
command -v import > /dev/null && import -window root '$work/window.png' 2> /dev/null
# As the user closes it: the window is asked to close, nothing is killed.
'$QOR_WINE' taskkill /im QorSprav.exe > /dev/null 2>&1 < /dev/null
timeout 60 '$QOR_WINESERVER' -w || { echo "QorSprav.exe did not end when asked to close"; '$QOR_WINESERVER' -k; exit 1; }
[ \$shown = 1 ] || { echo "no window showed демо.spr:"; cat '$work/start.log' '$work/windows.txt'; exit 1; }
SESSION
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" || fail "the book opened through its file type"
stored=$(reg_value 'HKCU\Software\QOR_Sprav' FileName)
[ "$stored" = "$book_path" ] || fail "FileName under HKCU\\Software\\QOR_Sprav is «$stored» after close, not «$book_path»"
echo "opened through the file type and stored at close: FileName = $stored"

# The same version once more, as this package and as another build of it: refused by the installer.
# The log ends the action's line with its result: 1 when it let the installation go on.
refused() {
  local result
  result=$(iconv -f CP1251 -t UTF-8 "$1" | tr -d '\r' | sed -n 's/.*LaunchConditions\. .* \([0-9]\+\)\.$/\1/p' | head -n 1)
  [ -n "$result" ] && [ "$result" != 1 ]
}
msiexec "$work/again.log" /i "$(winpath "$msi")" && fail "the same package installed twice"
refused "$work/again.log" || fail "the same package installed twice was not stopped by its launch condition"
msiexec "$work/rebuilt.log" /i "$(winpath "$work/rebuilt.msi")" && fail "another package of version $version installed over it"
refused "$work/rebuilt.log" || fail "another package of version $version was not stopped by its launch condition"
[ "$(installed_products)" = "$name|$version|$publisher" ] || fail "after the refusals: $(installed_products)"
echo "the same version again: refused"

# The newer version replaces it: one product, the newer files.
start=$SECONDS
msiexec "$work/upgrade.log" /i "$(winpath "$work/newer.msi")" || fail "the newer version $newer_version did not install over $version"
echo "== upgraded in $((SECONDS - start)) s"
products=$(installed_products)
[ "$products" = "$name|$newer_version|$publisher" ] ||
  fail "after the upgrade the installed programs show «${products//$'\n'/; }», not «$name|$newer_version|$publisher» alone"
cmp -s "$newer_stage/QorSprav.html" "$program_dir/QorSprav.html" || fail "the upgrade left the older guide"
cmp -s "$stage/QorSprav.exe" "$program_dir/QorSprav.exe" || fail "the upgrade left no QorSprav.exe"
[ -n "$(shortcut_path)" ] || fail "the upgrade lost the shortcut"
echo "upgraded: $products"
msiexec "$work/downgrade.log" /i "$(winpath "$msi")" && fail "the older version $version installed over $newer_version"
refused "$work/downgrade.log" || fail "the older version was not stopped by its launch condition"

# Removal: nothing of the program is left; the user's settings and books are.
msiexec "$work/uninstall.log" /x "$(winpath "$work/newer.msi")" || fail "msiexec /x failed (exit code $?)"
left=$(find "$program_dir" -type f 2> /dev/null || true)
[ -z "$left" ] || fail "files left after removal: $left"
[ -z "$(shortcut_path)" ] || fail "the shortcut is left after removal"
[ -z "$(installed_products)" ] || fail "the installed programs still show $(installed_products)"
for key in 'HKCR\.spr' 'HKCR\QorSprav.Book' 'HKLM\Software\QorSprav'; do
  wine reg query "$key" > /dev/null 2>&1 && fail "$key is left after removal"
done
[ "$(reg_value 'HKCU\Software\QOR_Sprav' FileName)" = "$book_path" ] || fail "removal took the settings (HKCU\\Software\\QOR_Sprav)"
[ "$(reg_value 'HKCU\Software\QOR_Main' Dir_Tests)" = 'C:\' ] || fail "removal took the settings (HKCU\\Software\\QOR_Main)"
cmp -s "$book" "$books/демо.spr" || fail "removal touched the book"
qor_wine_stop "$prefix"
echo "removed: no file, shortcut, file type or entry left; the settings and the book kept"
