#!/usr/bin/env bash
# What a Windows user downloads, checked under Wine: the icons are what the
# project's script makes; the help file holds a page for every menu command
# and dialog; scripts/package makes the installer and the zip; the installer,
# run silently in a fresh prefix, puts every file and shortcut in place and
# presets only settings that are absent; the installed program starts, shows
# its icon, stays single, opens its help; a reinstall keeps the list and the
# settings; the silent uninstall removes the program and keeps the list and
# the settings; setup and uninstall give up, changing nothing, while Tavrin
# shows a dialog and cannot end; setup refuses a folder holding someone
# else's files; the data option removes only the names Tavrin makes; the zip,
# unpacked into a new folder, runs.
# All of it for the edition in TAVRIN_EDITION (its setup, zip, programs and
# plug-in, in a prefix of its own).  For the 64-bit edition, where this
# machine runs 32-bit programs too: 32-bit Windows does not start its setup,
# each edition's setup replaces the other's install, keeping the list, the
# settings and the user's plug-ins, and each edition reads the other's list.
# Exit status 0 only when all of it passed.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"
failures=0
ok() { echo "  ok: $1"; }
bad() { echo "  FAILED: $1"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then ok "$what"; else bad "$what"; fi; }

echo "-- icons"
icons=$(mktemp -d)
python3 "$TAVRIN_ROOT/scripts/make-icons.py" "$icons"
for ico in tavrin.ico tray.ico; do
  check "res/$ico is what scripts/make-icons.py makes" cmp -s "$icons/$ico" "$TAVRIN_ROOT/res/$ico"
  sizes=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); n=struct.unpack_from("<H",d,4)[0]; print(" ".join(str(d[6+16*i] or 256) for i in range(n)))' "$TAVRIN_ROOT/res/$ico")
  check "$ico holds 16 20 24 32 40 48 64 256 (has: $sizes)" test "$sizes" = "16 20 24 32 40 48 64 256"
done
rm -rf "$icons"

echo "-- help file"
chm="$BIN_DIR/Tavrin.chm"
listing=$(chmls list "$chm" 2>/dev/null)
for page in $(grep -o '^ *[a-z-]*\.html' "$TAVRIN_ROOT/help/contents.txt"); do
  echo "$listing" | grep -q " /$page\$" || bad "Tavrin.chm lacks $page"
done
for page in menu-wallpaper menu-list menu-add menu-settings menu-help menu-exit dlg-list dlg-entry dlg-imagefile \
            dlg-folder dlg-archive dlg-settings dlg-cache dlg-plugins dlg-pluginstatus; do
  echo "$listing" | grep -q " /$page.html\$" || bad "Tavrin.chm lacks the page $page.html"
done
check "Tavrin.chm has its contents and index" bash -c 'echo "$1" | grep -q " /toc.hhc$" && echo "$1" | grep -q " /index.hhk$"' _ "$listing"

echo "-- packages"
TAVRIN_PACKAGE_NO_BUILD=1 "$TAVRIN_ROOT/scripts/package" || { bad "scripts/package"; exit 1; }
suffix=""; [ "$EDITION" = x64 ] && suffix="-x64"
setup_name="tavrin-setup$suffix.exe"
setup="$BUILD_DIR/dist/$setup_name"; zipfile="$BUILD_DIR/dist/tavrin-portable$suffix.zip"
wic_file="tvwic.$PLUGIN_EXT"
echo "   edition $EDITION: $setup_name, tavrin-portable$suffix.zip, $wic_file"
shipped=(tavrin.exe Tavrin.chm Readme.txt LICENSE.txt)
wic=0
if [ -d "$TAVRIN_ROOT/spi/wic" ]; then wic=1; shipped+=("plugins/$wic_file"); fi
zipped=$(unzip -Z1 "$zipfile")
for f in "${shipped[@]}"; do
  check "the zip holds $f" grep -qx "$f" <<<"$zipped"
done

echo "-- a fresh Wine prefix"
ensure_display
trap 'stop_display' EXIT
rm -rf "$BUILD_DIR/wineprefix-pkg$PREFIX_SUFFIX"
ensure_prefix wineprefix-pkg C.UTF-8
wine_env wineprefix-pkg C.UTF-8
trap 'wineserver -k 2>/dev/null; stop_display' EXIT
wineserver -p >/dev/null 2>&1 </dev/null &
wine cmd /c exit >/dev/null 2>&1 </dev/null

unix_of() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
local_app=$(unix_of LOCALAPPDATA); roaming=$(unix_of APPDATA)
inst="$local_app/Programs/Tavrin"
inst_win=$(winepath -w "$inst" 2>/dev/null)
programs="$roaming/Microsoft/Windows/Start Menu/Programs"
startup_dir() { find "$programs" -maxdepth 1 -iname startup -print -quit; }   # Wine spells it StartUp
settings='HKCU\Software\Vandrel Software\Tavrin\Settings'
uninst='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrin'
reg_value() {   # reg_value KEY NAME -> "TYPE VALUE", or nothing
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; sub(/^ +/, ""); print; exit }'
}
display_name() {   # the Apps & Features entry's name, in UTF-8 (reg query would lose its Japanese)
  local file="$WINEPREFIX/drive_c/uninst-entry.reg"
  rm -f "$file"
  wine reg export "$uninst" 'C:\uninst-entry.reg' /y >/dev/null 2>&1 &&
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | sed -n 's/^"DisplayName"="\(.*\)"$/\1/p'
  rm -f "$file"
}
verb='HKCU\Software\Classes\DesktopBackground\Shell\TavrinNextWallpaper'
reg_default() {   # reg_default KEY -> "TYPE VALUE" of the key's default value, or nothing
  wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '$1 == "(Default)" { $1 = ""; sub(/^ +/, ""); print; exit }'
}
verb_text() {   # the desktop verb's text, in UTF-8 (exported, as reg query would lose its Japanese)
  local file="$WINEPREFIX/drive_c/desktop-verb.reg"
  rm -f "$file"
  wine reg export "$verb" 'C:\desktop-verb.reg' /y >/dev/null 2>&1 &&
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | sed -n 's/^@="\(.*\)"$/\1/p' | head -1
  rm -f "$file"
}
edition_name() { [ "$1" = x64 ] && echo "Tavrin (64 ビット)" || echo "Tavrin"; }
pe_machine() {   # the machine field of a PE file: 0x14c (32-bit) or 0x8664 (64-bit)
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(4096); o=struct.unpack_from("<I",d,0x3c)[0]; print(hex(struct.unpack_from("<H",d,o+4)[0]))' "$1" 2>/dev/null
}
machine_of() { [ "$1" = x64 ] && echo 0x8664 || echo 0x14c; }
run_shipped() {   # run_shipped EXE_UNIX_PATH GTEST_FILTER
  local report; report=$(mktemp --suffix=.xml); rm -f "$report"
  TAVRIN_PKG_EXE=$(winepath -w "$1") WINEDEBUG=-all \
    wine explorer /desktop=tavrin-pkg,1024x768 "$WIN_BUILD/tests/package_tests.exe" --gtest_filter="$2" \
      --gtest_output="xml:$(winepath -w "$report")" </dev/null >"$BUILD_DIR/package-tests.log" 2>&1
  grep -E '^\[ +(OK|FAILED|SKIPPED) +\]|Failure|Expected|Which is|Value of|skipped|lacks|no help' \
    "$BUILD_DIR/package-tests.log" | grep -v '^\[  FAILED  \] [0-9]* test' | sed 's/^/    /'
  local summary; summary=$(grep -o '<testsuites tests="[0-9]*" failures="[0-9]*" disabled="[0-9]*" errors="[0-9]*"' "$report" 2>/dev/null)
  rm -f "$report"
  [ -n "$summary" ] && [[ $summary == *'failures="0"'* ]] && [[ $summary == *'errors="0"'* ]]
}

echo "-- silent install into the fresh prefix"
check "$setup_name /S ends with 0" wine "$setup" /S
for f in "${shipped[@]}" uninstall.exe; do check "installed: $f" test -s "$inst/$f"; done
check "Start-menu shortcut" test -s "$programs/Tavrin/Tavrin.lnk"
check "help shortcut" test -s "$programs/Tavrin/Tavrin ヘルプ.lnk"
startup=$(startup_dir)
check "log-on shortcut (ticked by default)" test -s "$startup/Tavrin.lnk"
sendto="$roaming/Microsoft/Windows/SendTo/Tavrin の壁紙リストに追加.lnk"
check "Send To shortcut running tavrin.exe /add" \
  bash -c 'test -s "$1" && LC_ALL=C grep -aPq "/\x00a\x00d\x00d\x00" "$1"' _ "$sendto"
check "desktop verb's text is \"次の壁紙 (Tavrin)\" (is: $(verb_text))" test "$(verb_text)" = "次の壁紙 (Tavrin)"
check "desktop verb runs the installed tavrin.exe /next" \
  test "$(reg_default "$verb\\command")" = "REG_SZ \"$inst_win\\tavrin.exe\" /next"
check "desktop verb has Tavrin's icon" test "$(reg_value "$verb" Icon)" = "REG_SZ $inst_win\\tavrin.exe,0"
check "Apps & Features entry names the uninstaller" \
  bash -c '[[ "$1" == *uninstall.exe* ]]' _ "$(reg_value "$uninst" UninstallString)"
name=$(display_name)
check "Apps & Features entry is called \"$(edition_name $EDITION)\" (is: $name)" test "$name" = "$(edition_name $EDITION)"
check "the installed tavrin.exe is the $EDITION edition's" test "$(pe_machine "$inst/tavrin.exe")" = "$(machine_of $EDITION)"
if [ $wic = 1 ]; then
  check "EnableSPI preset to 1" test "$(reg_value "$settings" EnableSPI)" = "REG_DWORD 0x1"
  check "SPIPath preset to the plugins folder" test "$(reg_value "$settings" SPIPath)" = "REG_SZ $inst_win\\plugins"
else
  check "no plug-in shipped: EnableSPI left absent" test -z "$(reg_value "$settings" EnableSPI)"
fi

echo "-- the installed program"
jpeg_why="$wic_file is not part of this source tree yet (spi/wic is missing), so no JPEG can be applied through it"
if [ $wic = 1 ]; then
  pictures="$WINEPREFIX/drive_c/pictures"; mkdir -p "$pictures"
  convert -size 64x48 gradient:orange-navy "$pictures/photo.jpg"
  export TAVRIN_PKG_JPEG=$(winepath -w "$pictures/photo.jpg") TAVRIN_PKG_JPEG_SIZE=64x48
else
  echo "  skipped: applying a JPEG through the installed plug-in: $jpeg_why"
  export TAVRIN_PKG_JPEG= TAVRIN_PKG_SKIP_WHY="$jpeg_why"
fi
check "the installed tavrin.exe: icon, list beside it, one copy per session, help, JPEG" run_shipped "$inst/tavrin.exe" 'Shipped.*'

echo "-- reinstall over it"
cp "$TAVRIN_ROOT/tests/data/listfiles/worked-example.tvl" "$inst/List.tvl"
printf 'old list' > "$inst/List.tvl.bak"
wine reg add "$settings" /v EnableSPI /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add "$settings" /v ChangingEffect /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$settings" /v ConfPath /t REG_SZ /d "$inst_win\\List.tvl" /f >/dev/null 2>&1
wine reg delete "$settings" /v SPIPath /f >/dev/null 2>&1
check "$setup_name /S again ends with 0" wine "$setup" /S
check "the list file is kept" cmp -s "$TAVRIN_ROOT/tests/data/listfiles/worked-example.tvl" "$inst/List.tvl"
check "an existing EnableSPI = 0 survives" test "$(reg_value "$settings" EnableSPI)" = "REG_DWORD 0x0"
check "other settings survive" test "$(reg_value "$settings" ChangingEffect)" = "REG_DWORD 0x1"
check "ConfPath survives" test "$(reg_value "$settings" ConfPath)" = "REG_SZ $inst_win\\List.tvl"
if [ $wic = 1 ]; then
  check "an absent SPIPath is preset again" test "$(reg_value "$settings" SPIPath)" = "REG_SZ $inst_win\\plugins"
fi

echo "-- reinstall while Tavrin runs"
wine "$inst/tavrin.exe" </dev/null >/dev/null 2>&1 &
running=$!
tavrin_listed() { wine winedbg --command "info proc" 2>/dev/null | grep -q "'tavrin.exe'"; }
for _ in $(seq 20); do tavrin_listed && break; sleep 0.5; done
check "Tavrin runs before the reinstall" tavrin_listed
check "$setup_name /S with Tavrin running ends with 0" wine "$setup" /S
for _ in $(seq 100); do kill -0 $running 2>/dev/null || break; sleep 0.1; done
check "the installer ended the running Tavrin" bash -c "! kill -0 $running 2>/dev/null"
check "the list file it saved on the way out is the same" \
  cmp -s "$TAVRIN_ROOT/tests/data/listfiles/worked-example.tvl" "$inst/List.tvl"
check "its settings are still there" test "$(reg_value "$settings" ChangingEffect)" = "REG_DWORD 0x1"

echo "-- silent uninstall"
check "uninstall.exe /S starts" wine "$inst/uninstall.exe" /S
for _ in $(seq 150); do [ -e "$inst/uninstall.exe" ] || [ -e "$inst/tavrin.exe" ] || break; sleep 0.2; done
for _ in $(seq 50); do [ -e "$inst/uninstall.exe" ] || break; sleep 0.2; done
for f in "${shipped[@]}" uninstall.exe; do check "removed: $f" test ! -e "$inst/$f"; done
check "removed: the plugins folder" test ! -e "$inst/plugins"
check "removed: Start-menu shortcut and folder" test ! -e "$programs/Tavrin"
check "removed: log-on shortcut" test ! -e "$startup/Tavrin.lnk"
check "removed: Send To shortcut" test ! -e "$sendto"
check "removed: the desktop verb" bash -c '! wine reg query "$1" >/dev/null 2>&1' _ "$verb"
check "removed: Apps & Features entry" test -z "$(reg_value "$uninst" UninstallString)"
check "kept: the list file" cmp -s "$TAVRIN_ROOT/tests/data/listfiles/worked-example.tvl" "$inst/List.tvl"
check "kept: its backup" test "$(cat "$inst/List.tvl.bak" 2>/dev/null)" = "old list"
check "kept: the settings" test "$(reg_value "$settings" ChangingEffect)" = "REG_DWORD 0x1"

echo "-- setup and uninstall while Tavrin shows a dialog"
# An uninstall keeps the user's own plug-ins and the preview store (and one
# set aside as damaged): the folder is still Tavrin's.
mkdir -p "$inst/plugins" && printf 'MZ' > "$inst/plugins/mine.$PLUGIN_EXT"
printf 'some bytes' > "$inst/List.previews.damaged"
check "$setup_name /S into the folder the list and a plug-in were kept in" wine "$setup" /S
export TAVRIN_PKG_SETUP=$(winepath -w "$setup")
check "both give up (exit code 3) and change nothing; once the dialog is closed both succeed" \
  run_shipped "$inst/tavrin.exe" 'UpgradeOverADialog.*'
# The uninstaller that ran in place (_?=) cannot remove itself.
rm -f "$inst/uninstall.exe" "$inst/plugins/mine.$PLUGIN_EXT"

echo "-- uninstall with the list and the settings (the box ticked: /REMOVEDATA)"
check "$setup_name /S once more" wine "$setup" /S
printf 'BM' > "$inst/TVTemp.bmp"
cp "$TAVRIN_ROOT/tests/data/listfiles/worked-example.tvl" "$inst/List.tvl"
for f in List.tvl.bak List.tvl.bak2 List.tvl.bak13 List.tvl.bak2.tmp List.tvl.tmp TVTemp.bmp.tmp List.previews.damaged \
         List.tvl.bak-mine List.tvl.bakup List.tvl.bak2x List.tvl.bak007 Notes.txt; do
  printf 'some bytes' > "$inst/$f"
done
check "uninstall.exe /S /REMOVEDATA starts" wine "$inst/uninstall.exe" /S /REMOVEDATA
for _ in $(seq 150); do [ -e "$inst/uninstall.exe" ] || [ -e "$inst/List.tvl" ] || break; sleep 0.2; done
left=$(cd "$inst" 2>/dev/null && ls | sort | tr '\n' ' ')
check "only the files Tavrin did not make are left (left: $left)" \
  test "$left" = "List.tvl.bak-mine List.tvl.bak007 List.tvl.bak2x List.tvl.bakup Notes.txt "
check "the settings are gone" test -z "$(reg_value "$settings" ChangingEffect)"
rm -f "$inst"/*
check "with nothing of the user's left the folder goes too" bash -c '
  wine "$1" /S && wine "$2" /S /REMOVEDATA
  for _ in $(seq 150); do [ -e "$3" ] || break; sleep 0.2; done
  test ! -e "$3"' _ "$setup" "$inst/uninstall.exe" "$inst"

echo "-- setup into a folder holding other programs' files"
other="$WINEPREFIX/drive_c/OtherProgram"   # /D= takes no quotes: a name without spaces
mkdir -p "$other" && printf 'their read-me' > "$other/Readme.txt"
wine "$setup" /S "/D=$(winepath -w "$other")"; code=$?
check "$setup_name /S /D=that folder refuses (exit code 4, got $code)" test "$code" = 4
check "their Readme.txt is untouched" test "$(cat "$other/Readme.txt")" = "their read-me"
check "nothing of Tavrin's was put there" test "$(ls "$other")" = "Readme.txt"
check "no Apps & Features entry made" test -z "$(reg_value "$uninst" UninstallString)"

echo "-- the portable zip in a new folder"
wine reg delete 'HKCU\Software\Vandrel Software' /f >/dev/null 2>&1
portable="$WINEPREFIX/drive_c/portable-$$"
rm -rf "$portable" && mkdir -p "$portable" && unzip -q "$zipfile" -d "$portable"
check "the unpacked tavrin.exe runs and keeps its list in its own folder" \
  run_shipped "$portable/tavrin.exe" 'Shipped.StartsShowsItsIcon*:Shipped.ASecondStart*'
check "List.tvl made in the portable folder" test -s "$portable/List.tvl"
check "$setup_name /S /D=the unpacked folder installs over that Tavrin" \
  bash -c 'wine "$1" /S "/D=$2" && test -s "$3/uninstall.exe"' _ "$setup" "$(winepath -w "$portable")" "$portable"

no32=$(why_no_32bit)
if [ "$EDITION" = x64 ] && [ -n "$no32" ]; then
  echo "-- the 32-bit edition beside the 64-bit one: SKIPPED, because $no32"
elif [ "$EDITION" = x64 ]; then
  echo "-- on 32-bit Windows (a 32-bit prefix) the 64-bit setup does not start"
  ( failures=0; export WINEPREFIX="$BUILD_DIR/wineprefix-pkg-win32" WINEARCH=win32
    rm -rf "$WINEPREFIX"
    /usr/lib/wine/wine "$setup" /S >/dev/null 2>&1; code=$?
    check "$setup_name /S fails (exit code $code)" test "$code" != 0
    check "and installs nothing" test -z "$(find "$WINEPREFIX/drive_c" -ipath '*/Programs/Tavrin' -print -quit)"
    wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"
    exit $failures ) || failures=$((failures + $?))

  echo "-- one Tavrin: the 32-bit install replaced by the 64-bit one and back"
  bin32="$BUILD_DIR/bin"; setup32="$BUILD_DIR/dist/tavrin-setup.exe"
  TAVRIN_EDITION=x86 TAVRIN_PACKAGE_NO_BUILD=1 "$TAVRIN_ROOT/scripts/package" >/dev/null || bad "scripts/package for the 32-bit edition"
  wine reg delete 'HKCU\Software\Vandrel Software' /f >/dev/null 2>&1
  wine reg delete "$uninst" /f >/dev/null 2>&1
  rm -rf "$inst"
  entries() { wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null | grep -ci 'tavrin'; }
  settings_now() { wine reg query "$settings" 2>/dev/null | tr -d '\r'; }
  scratch="$WINEPREFIX/drive_c/tvl-cross"; rm -rf "$scratch"; mkdir -p "$scratch"
  tvl_roundtrip() {   # tvl_roundtrip TVLTOOL: dumps List.tvl and makes a list of the dump
    wine "$1" dump "$inst_win\\List.tvl" >"$scratch/dump.txt" 2>/dev/null </dev/null &&
      wine "$1" make 'C:\tvl-cross\List.tvl' <"$scratch/dump.txt" >/dev/null 2>&1 && cmp -s "$inst/List.tvl" "$scratch/List.tvl"
  }
  over() {   # over EDITION SETUP: install it over the other edition's install; one install, nothing lost
    local list before; list=$(mktemp); cp "$inst/List.tvl" "$list"; before=$(settings_now)
    check "$1 setup over the other edition's install ends with 0" wine "$2" /S
    check "  one Apps & Features entry, \"$(edition_name $1)\"" test "$(entries) $(display_name)" = "1 $(edition_name $1)"
    check "  the $1 tavrin.exe in place" test "$(pe_machine "$inst/tavrin.exe")" = "$(machine_of $1)"
    check "  the list file kept byte for byte" cmp -s "$list" "$inst/List.tvl"
    check "  the settings kept" test -n "$before" -a "$(settings_now)" = "$before"
    check "  the user's plug-ins kept" test -s "$inst/plugins/mine.spi" -a -s "$inst/plugins/mine.sph"
    rm -f "$list"
  }
  check "the 32-bit setup installs" wine "$setup32" /S
  printf 'MZ' > "$inst/plugins/mine.spi"; printf 'MZ' > "$inst/plugins/mine.sph"
  wine "$bin32/tvltool.exe" dump "$(winepath -w "$TAVRIN_ROOT/tests/data/listfiles/worked-example.tvl")" >"$scratch/seed.txt" 2>/dev/null </dev/null
  wine "$bin32/tvltool.exe" make "$inst_win\\List.tvl" <"$scratch/seed.txt" >/dev/null 2>&1
  wine reg add "$settings" /v ChangingEffect /t REG_DWORD /d 1 /f >/dev/null 2>&1
  check "the 32-bit Tavrin runs and saves its list and settings" run_shipped "$inst/tavrin.exe" 'Shipped.StartsShowsItsIcon*'
  over x64 "$setup"
  check "the 64-bit tvltool reads the 32-bit edition's list and writes it back byte for byte" tvl_roundtrip "$BIN_DIR/tvltool.exe"
  check "the 64-bit Tavrin runs on it and saves it" run_shipped "$inst/tavrin.exe" 'Shipped.StartsShowsItsIcon*'
  check "the 32-bit tvltool reads the 64-bit edition's list and writes it back byte for byte" tvl_roundtrip "$bin32/tvltool.exe"
  over x86 "$setup32"
  check "uninstall.exe /S starts" wine "$inst/uninstall.exe" /S
  for _ in $(seq 150); do [ -e "$inst/uninstall.exe" ] || [ -e "$inst/tavrin.exe" ] || break; sleep 0.2; done
  for _ in $(seq 50); do [ -e "$inst/uninstall.exe" ] || break; sleep 0.2; done
  left=$(cd "$inst/plugins" 2>/dev/null && ls | tr '\n' ' ')
  check "the uninstall removes both editions' tvwic, keeps the user's plug-ins (left: $left)" test "$left" = "mine.sph mine.spi "
  check "  and keeps the list" test -s "$inst/List.tvl"
fi

echo "package tests: $failures failed"
[ "$failures" -eq 0 ]
