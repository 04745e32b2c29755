#!/usr/bin/env bash
# Makes the Windows installer from the folder the zip is made of: app/package/QorSprav.wxs built with wixl,
# its name, version and publisher taken from the version record of the Windows build, and reads the result
# back to check that the Russian texts arrived.
# Usage: make-msi.sh BUILD_DIR STAGE OUT.msi [-D NAME=VALUE...]
#   BUILD_DIR  the Windows build (its CMakeCache.txt holds the record's values, app/QorSprav.ico the icon)
#   STAGE      QorSprav.exe, QorSprav.html, translations/, licenses/ as in the zip
#   -D         overrides a value of the record (the trial makes a "newer version" with -D ProductVersion=...)
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
[ $# -ge 3 ] || { echo "usage: make-msi.sh BUILD_DIR STAGE OUT.msi [-D NAME=VALUE...]" >&2; exit 2; }
build_dir=$(realpath "$1") stage=$(realpath "$2") out=$(realpath "$3")
shift 3

cache_value() {
  sed -n "s/^$1:[A-Z]*=//p" "$build_dir/CMakeCache.txt"
}
declare -A value=(
  [ProductName]=$(cache_value QOR_FILE_DESCRIPTION)
  [ProductVersion]=$(cache_value QOR_FILE_VERSION)
  # The record names its publisher in the copyright line, "© <year> <publisher>".
  [Manufacturer]=$(cache_value QOR_LEGAL_COPYRIGHT | sed 's/^© *[0-9]* *//')
  [Support]=$(cache_value QOR_SUPPORT)
  [BookType]="Справочник аналогов"
)
while [ $# -gt 0 ]; do
  [ "$1" = -D ] && [ $# -ge 2 ] || { echo "error: make-msi.sh takes -D NAME=VALUE after its three paths" >&2; exit 2; }
  value[${2%%=*}]=${2#*=}
  shift 2
done
for name in "${!value[@]}"; do
  [ -n "${value[$name]}" ] || { echo "error: no $name for the installer in $build_dir/CMakeCache.txt" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Qt's licence texts differ between Qt versions: wixl-heat lists whatever the stage holds.
(cd "$stage/licenses" && find ./Qt -type f | LC_ALL=C sort |
  wixl-heat -p ./ --directory-ref LICENSES --component-group QtLicenses --var var.LicenseDir --win64) \
  > "$work/licenses.wxs"

# wixl finds files only by names relative to the folder it runs in: the inputs are linked into one.
ln -s "$stage" "$work/stage"
ln -s "$build_dir/app/QorSprav.ico" "$work/QorSprav.ico"
defines=(-D StageDir=stage -D LicenseDir=stage/licenses -D IconFile=QorSprav.ico -D Win64=yes)
for name in "${!value[@]}"; do
  defines+=(-D "$name=${value[$name]}")
done
# wixl takes its arguments in the charset GLib reads from CHARSET (without it, any Cyrillic -D is refused),
# and stores the tables' strings in the code page GLib derives from WINDOWS_LANGUAGE, but leaves the
# database's code page unset, so that Windows would read them in whatever ANSI code page the machine has.
# The strings are made Windows-1251 here, then the database is told so (_ForceCodepage); msibuild must read
# them in the same code page to keep them.
export CHARSET=UTF-8 WINDOWS_LANGUAGE=ru
rm -f "$out"
(cd "$work" && wixl -a x64 -o "$out" "${defines[@]}" "$QOR_ROOT/app/package/QorSprav.wxs" licenses.wxs)

# What wixl cannot say: the database's code page, the same version's range closed at both ends (wixl drops
# IncludeMaximum), and the package's language in the summary.
mkdir -p "$work/idt"
printf '\r\n\r\n1251\t_ForceCodepage\r\n' > "$work/idt/_ForceCodepage.idt"
msiinfo export "$out" Upgrade > "$work/idt/Upgrade.idt"
same=$(tr -d '\r' < "$work/idt/Upgrade.idt" | awk -F'\t' '$7 == "QOR_SAME_VERSION" { print $5 }')
tr -d '\r' < "$work/idt/Upgrade.idt" |
  awk -F'\t' -v OFS='\t' -v ORS='\r\n' '$7 == "QOR_SAME_VERSION" && int($5 / 512) % 2 == 0 { $5 += 512 } { print }' \
  > "$work/idt/Upgrade.new" && mv "$work/idt/Upgrade.new" "$work/idt/Upgrade.idt"
(cd "$work/idt" && msibuild "$out" -i _ForceCodepage.idt Upgrade.idt \
  -s "${value[ProductName]} ${value[ProductVersion]}" "${value[Manufacturer]}" "x64;1049")
unset CHARSET WINDOWS_LANGUAGE

# Read back as a program that knows nothing of the above: every Russian text whole, in code page 1251.
faults=()
property=$(msiinfo export "$out" Property)
for name in ProductName ProductVersion Manufacturer; do
  grep -qxF "$name	${value[$name]}" <<< "${property//$'\r'/}" ||
    faults+=("Property $name is not «${value[$name]}»: $(grep "^$name	" <<< "$property" | tr -d '\r')")
done
grep -q "^1251	_ForceCodepage" <<< "$(msiinfo export "$out" _ForceCodepage | tr -d '\r\0')" ||
  faults+=("the database's code page is not 1251")
grep -qF "	${value[ProductName]}	StartMenuShortcut	" <<< "$(msiinfo export "$out" Shortcut)" ||
  faults+=("no Start menu shortcut named «${value[ProductName]}»")
grep -qF "	Software\\Classes\\QorSprav.Book		${value[BookType]}	" <<< "$(msiinfo export "$out" Registry)" ||
  faults+=("the book's file type is not described as «${value[BookType]}»")
grep -qP "^\{[0-9A-F-]+\}\t${value[ProductVersion]//./\\.}\t${value[ProductVersion]//./\\.}\t\t770\t\tQOR_SAME_VERSION" \
  <<< "$(msiinfo export "$out" Upgrade | tr -d '\r')" ||
  faults+=("the same version's upgrade row is not closed at both ends (it was $same)")
if [ ${#faults[@]} -gt 0 ]; then
  for fault in "${faults[@]}"; do
    echo "error: $out: $fault" >&2
  done
  exit 1
fi
