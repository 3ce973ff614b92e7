#!/usr/bin/env bash
# Shared pieces of scripts/run and scripts/test: package installation, the
# builds, and the private Wine prefixes.  Source it; it defines functions only.

TAVRIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# TAVRIN_BUILD picks another build folder (several checkouts or people at once).
BUILD_DIR="${TAVRIN_BUILD:-$TAVRIN_ROOT/build}"
NATIVE_BUILD="$BUILD_DIR/native"
NATIVE_BIN="$BUILD_DIR/bin"   # the native tools (tvltool, demo-pictures) land beside the 32-bit edition

# Two editions come from the same sources: x86 (32-bit, .spi plug-ins, built
# in build/win, programs in build/bin) and x64 (64-bit, .sph plug-ins,
# build/win64 and build/bin64).  TAVRIN_EDITION picks the one a script works
# on; use_edition switches it.  Each edition has Wine prefixes of its own.
use_edition() {   # use_edition x86|x64
  case "$1" in
    x86) EDITION=x86; WIN_BUILD="$BUILD_DIR/win"; BIN_DIR="$BUILD_DIR/bin"; PREFIX_SUFFIX=""; PLUGIN_EXT=spi
         TOOLCHAIN_FILE="$TAVRIN_ROOT/scripts/mingw-i686.cmake" ;;
    x64) EDITION=x64; WIN_BUILD="$BUILD_DIR/win64"; BIN_DIR="$BUILD_DIR/bin64"; PREFIX_SUFFIX="-x64"; PLUGIN_EXT=sph
         TOOLCHAIN_FILE="$TAVRIN_ROOT/scripts/mingw-x86_64.cmake" ;;
    *) echo "unknown edition: $1 (x86 or x64)" >&2; return 1 ;;
  esac
  export TAVRIN_EDITION=$EDITION
}

# Wine is always started through its 64-bit loader: it starts 64-bit
# programs, and 32-bit ones too where this machine can run them.  The
# packaged `wine`, `winepath` and `wineboot` go through the 32-bit loader,
# which cannot start on a kernel without 32-bit emulation; scripts/wine64
# holds stand-ins of the same names.
case ":$PATH:" in
  *":$TAVRIN_ROOT/scripts/wine64:"*) ;;
  *) export PATH="$TAVRIN_ROOT/scripts/wine64:$PATH" ;;
esac

# Empty when this machine runs 32-bit programs, otherwise why not (one line).
why_no_32bit() {
  local out
  if [ ! -x /usr/lib/wine/wine ]; then echo "Wine's 32-bit loader (/usr/lib/wine/wine) is not installed"; return; fi
  if out=$(/usr/lib/wine/wine --version 2>&1); then return; fi
  case "$out" in
    *"Exec format error"*) echo "the kernel does not run 32-bit programs (32-bit emulation is off: /usr/lib/wine/wine: Exec format error)" ;;
    *) echo "Wine's 32-bit loader does not start: $(echo "$out" | head -1)" ;;
  esac
}

# Editions whose programs this machine can run: x64 always, x86 where it can.
runnable_editions() {
  if [ -z "$(why_no_32bit)" ]; then echo "x86 x64"; else echo "x64"; fi
}

# Without TAVRIN_EDITION, scripts work on the 32-bit edition where this
# machine runs it, else on the 64-bit one (chosen again once the packages
# are installed).
EDITION_GIVEN=${TAVRIN_EDITION:-}
default_edition() {
  if [ -n "$EDITION_GIVEN" ]; then use_edition "$EDITION_GIVEN"
  elif [ -z "$(why_no_32bit)" ]; then use_edition x86
  else use_edition x64
  fi
}
default_edition || exit 1

# Debian packages the project needs, with the command or file that shows each is there.
APT_NEEDS=(
  "i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix"
  "cmake:cmake"
  "clang++:clang"
  "/usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a:libclang-rt-14-dev"
  "/usr/src/googletest/CMakeLists.txt:googletest"
  "wine:wine"
  "/usr/lib/wine/wine:wine32:i386"
  "/usr/lib/wine/wine64:wine64"
  "x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix"
  "Xvfb:xvfb"
  "Xephyr:xserver-xephyr"
  "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf:fonts-ipafont-gothic"
  "locale-gen:locales"
  "import:imagemagick"
  "xdotool:xdotool"
  "python3:python3"
  "makensis:nsis"
  "chmcmd:fp-utils"
  "zip:zip"
  "unzip:unzip"
)

have() {
  case "$1" in
    /*) [ -e "$1" ] ;;
    *) command -v "$1" >/dev/null 2>&1 ;;
  esac
}

ensure_packages() {
  local missing=() optional=() entry probe pkg
  for entry in "${APT_NEEDS[@]}"; do
    probe=${entry%%:*}; pkg=${entry#*:}
    have "$probe" && continue
    # The 32-bit Wine only adds the 32-bit edition's tests: without it the
    # 64-bit edition is still tested, so it must not hold up the rest.
    if [[ $pkg == *:i386 ]]; then optional+=("$pkg"); else missing+=("$pkg"); fi
  done
  if [ ${#missing[@]} -gt 0 ] || [ ${#optional[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "Missing packages. Run as root:" >&2
      [ ${#optional[@]} -gt 0 ] && echo "  dpkg --add-architecture i386" >&2
      echo "  apt-get update && apt-get install -y ${missing[*]} ${optional[*]}" >&2
      return 1
    fi
    [ ${#optional[@]} -gt 0 ] && dpkg --add-architecture i386
    # A mirror caught mid-sync fails one index now and then: apt-get update
    # then reports an error although every other list is fresh.
    apt-get update -qq || { sleep 5; apt-get update -qq; } ||
      echo "apt-get update reported errors; going on with the package lists it has" >&2
    if [ ${#missing[@]} -gt 0 ]; then
      echo "Installing: ${missing[*]}"
      apt_install "${missing[@]}" || { echo "Could not install: ${missing[*]}" >&2; return 1; }
    fi
    if [ ${#optional[@]} -gt 0 ]; then
      echo "Installing: ${optional[*]}"
      apt_install "${optional[@]}" ||
        echo "Could not install ${optional[*]}: the 32-bit edition's tests cannot run on this machine" >&2
    fi
    default_edition
  fi
  ensure_japanese_locale
}

apt_install() {
  local log; log=$(mktemp)
  if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >"$log" 2>&1; then rm -f "$log"; return 0; fi
  grep -E '^E:' "$log" | head -5 >&2
  rm -f "$log"
  return 1
}

# The code-page-932 prefix needs the ja_JP.UTF-8 locale.
ensure_japanese_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "The ja_JP.UTF-8 locale is missing. Run as root: sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen && locale-gen" >&2
      return 1
    fi
    grep -q '^ja_JP.UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
}

jobs_count() { nproc 2>/dev/null || echo 2; }

# build_windows [x86|x64] [-DOPTION=VALUE...]: the current edition by default.
# The benchmarks are built only where TAVRIN_BENCH is asked for (scripts/bench).
build_windows() {
  ( case "${1:-}" in x86|x64) use_edition "$1" || exit 1; shift ;; esac
    cmake -S "$TAVRIN_ROOT" -B "$WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN_FILE" \
      -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=OFF "$@" >/dev/null &&
    cmake --build "$WIN_BUILD" -j "$(jobs_count)" )
}

build_native() {
  CC=clang CXX=clang++ cmake -S "$TAVRIN_ROOT" -B "$NATIVE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$NATIVE_BUILD" -j "$(jobs_count)"
}

# Wine: private prefixes inside the build folder, never the user's own; the
# x64 edition's carry the suffix "-x64".
wine_env() {   # wine_env PREFIX_NAME LANG
  export WINEPREFIX="$BUILD_DIR/$1$PREFIX_SUFFIX"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG="$2" LC_ALL="$2"
}

ensure_prefix() {   # ensure_prefix PREFIX_NAME LANG
  ( wine_env "$1" "$2"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "Creating Wine prefix $WINEPREFIX ($2)"
      wineboot -i >/dev/null 2>&1
      japanese_fonts
      wineserver -w
    fi )
}

# A code-page-1252 system has no Japanese UI font: link the UI fonts to the
# IPA Gothic font (Latin glyphs stay the originals') and stand it in for the
# Japanese font names dialogs ask for.
japanese_fonts() {
  local reg="$WINEPREFIX/drive_c/tavrin-fonts.reg" link='"ipag.ttf,IPAGothic"'
  {
    echo 'Windows Registry Editor Version 5.00'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
    for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
      echo "\"$face\"=hex(7):$(printf '%s' "ipag.ttf,IPAGothic" | iconv -t UTF-16LE | od -An -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'),00,00,00,00"
    done
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    for face in "ＭＳ Ｐゴシック" "ＭＳ ゴシック" "MS UI Gothic" "MS PGothic" "MS Gothic"; do
      echo "\"$face\"=\"IPAGothic\""
    done
  } | iconv -f UTF-8 -t UTF-16 > "$reg"
  wine regedit /S 'C:\tavrin-fonts.reg' >/dev/null 2>&1
  rm -f "$reg"
}

ensure_display() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=99
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
}

stop_display() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}
