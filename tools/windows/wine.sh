# Sourced by the Windows scripts: what a cross build needs from this machine to run under Wine.
#   qor_version_generator DIR  builds the version record's generator for this machine into DIR (seconds)
#                              and sets QOR_GENERATOR to it
#   qor_russian_locale DIR     compiles ru_RU.UTF-8 into DIR and exports it: Wine takes its ANSI code page
#                              from the locale, so the ANSI functions cross Windows-1251 as on the users'
#                              machines; the system's locales stay untouched
#   qor_wine_prefix_begin P    starts creating the Wine prefix P when it does not exist (in the background)
#   qor_wine_prefix_end P      waits for that, then keeps one Wine server running for the whole run
#   qor_wine_stop P            stops that server
QOR_WINE=/usr/lib/wine/wine64
[ -x "$QOR_WINE" ] || QOR_WINE=wine64
QOR_WINESERVER=/usr/lib/wine/wineserver
[ -x "$QOR_WINESERVER" ] || QOR_WINESERVER=wineserver

qor_version_generator() {
  local dir=$1
  mkdir -p "$dir"
  QOR_GENERATOR="$dir/qor_generate_version_record"
  if [ ! -x "$QOR_GENERATOR" ] || [ "$QOR_ROOT/app/version/GenerateVersionRecord.cpp" -nt "$QOR_GENERATOR" ] ||
     [ "$QOR_ROOT/app/version/VersionRecordBuilder.cpp" -nt "$QOR_GENERATOR" ]; then
    g++ -std=c++20 -O1 -o "$QOR_GENERATOR" -I"$QOR_ROOT" \
      "$QOR_ROOT/app/version/GenerateVersionRecord.cpp" "$QOR_ROOT/app/version/VersionRecordBuilder.cpp"
  fi
}

qor_russian_locale() {
  local dir=$1
  if [ ! -d "$dir/ru_RU.UTF-8" ]; then
    mkdir -p "$dir"
    localedef -i ru_RU -f UTF-8 "$dir/ru_RU.UTF-8"
  fi
  export LOCPATH=$dir LC_ALL=ru_RU.UTF-8
}

QOR_WINE_INIT=
qor_wine_prefix_begin() {
  local prefix=$1
  QOR_WINE_INIT=
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$QOR_WINE" wineboot --init \
      > "$prefix.wineboot.log" 2>&1 &
    QOR_WINE_INIT=$!
  fi
}

qor_wine_prefix_end() {
  local prefix=$1
  if [ -n "$QOR_WINE_INIT" ]; then
    # wine64 alone reports the missing 32-bit rundll32 and goes on; the prefix is usable once the server
    # has stopped and written its registry files.
    wait "$QOR_WINE_INIT" || true
    WINEPREFIX=$prefix "$QOR_WINESERVER" -w
    QOR_WINE_INIT=
    # Now and then wineboot leaves a prefix without its system DLLs ("could not load kernel32.dll"):
    # such a prefix is made once more, from scratch, before anything runs in it.
    if [ ! -f "$prefix/drive_c/windows/system32/kernel32.dll" ]; then
      echo "The Wine prefix $prefix came out incomplete; making it again." >&2
      cat "$prefix.wineboot.log" >&2 || true
      rm -rf "$prefix"
      mkdir -p "$prefix"
      WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$QOR_WINE" wineboot --init \
        > "$prefix.wineboot.log" 2>&1 < /dev/null || true
      WINEPREFIX=$prefix "$QOR_WINESERVER" -w
      [ -f "$prefix/drive_c/windows/system32/kernel32.dll" ] ||
        { echo "error: cannot make the Wine prefix $prefix:" >&2; cat "$prefix.wineboot.log" >&2; return 1; }
    fi
  fi
  # A new prefix has no fonts, and the offscreen platform of the suites reads Windows' font folder: the
  # texts would have no size at all. DejaVu stands in for the fonts every Windows machine has.
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -n /usr/share/fonts/truetype/dejavu/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  # One server and one set of Wine's services for the whole run rather than one per program.
  WINEPREFIX=$prefix "$QOR_WINESERVER" -p 60 || true  # fails when one already runs
  WINEPREFIX=$prefix WINEDEBUG=-all "$QOR_WINE" cmd.exe /c exit > /dev/null 2>&1 < /dev/null || true
  # The faces Windows' dialogs and programs ask for by name are not there: without a replacement Wine falls
  # back to a serif face, and screenshots and GUI tests would not look as on Windows.
  if ! grep -qF '[Software\\Wine\\Fonts\\Replacements]' "$prefix/user.reg" 2> /dev/null; then
    local face reg_file="$prefix/font-replacements.reg"
    {
      echo REGEDIT4
      echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
      for face in Arial Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
        echo "\"$face\"=\"DejaVu Sans\""
      done
      echo '"Times New Roman"="DejaVu Serif"'
      echo '"Courier New"="DejaVu Sans Mono"'
    } > "$reg_file"
    (export WINEPREFIX=$prefix WINEDEBUG=-all
     "$QOR_WINE" reg import "$("$QOR_WINE" winepath.exe -w "$reg_file" 2> /dev/null | tr -d '\r')") \
      > "$reg_file.log" 2>&1 < /dev/null ||
      { echo "error: the font replacements were not imported into $prefix:"; cat "$reg_file.log"; return 1; }
  fi
}

qor_wine_stop() {
  WINEPREFIX=$1 "$QOR_WINESERVER" -k || true
}
