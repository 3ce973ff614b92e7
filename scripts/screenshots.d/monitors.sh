# The wallpaper menu on two monitors with its monitor submenu open
# (menu-monitors.png), and resting on a span wallpaper, whose preview has
# the virtual screen's shape (menu-span.png).  Wine takes its monitors from Xinerama, so Tavrin runs
# without a virtual desktop on a two-screen Xephyr server (800x600 and
# 640x480) on a private Xvfb host, in a prefix of its own.  At 96 DPI only.
[ "$SHOTS_DPI" = 96 ] || { echo "(two monitors: 96 DPI only)"; return 0; }
free_display() {
  local n=$1
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  echo "$n"
}
wait_socket() { for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$1" ] && return 0; sleep 0.1; done; return 1; }
host=$(free_display 160)
Xvfb ":$host" -screen 0 2400x1200x24 -nolisten tcp >/dev/null 2>&1 &
host_pid=$!
wait_socket "$host" || return 1
nested=$(free_display $((host + 1)))
DISPLAY=":$host" Xephyr ":$nested" +xinerama -extension RANDR -screen 800x600 -screen 640x480 -nolisten tcp \
  >/dev/null 2>&1 &
nested_pid=$!
wait_socket "$nested" || { kill $host_pid; return 1; }
export DISPLAY=":$nested"
ensure_prefix wineprefix-shots-monitors C.UTF-8
wine_env wineprefix-shots-monitors C.UTF-8

work="$SHOTS_WORK/monitors"
mkdir -p "$work"
convert -size 320x200 gradient:dodgerblue-orange "BMP3:$work/gradient.bmp" &&
  convert -size 400x300 gradient:skyblue-seagreen "BMP3:$work/landscape.bmp" &&
  convert -size 960x300 -define gradient:angle=90 gradient:gold-purple "BMP3:$work/panorama.bmp" || return 1
# The list's last entry is the menu's top item: パノラマ, in span style.
printf '%s\t%s\t%s\t1\n' \
  "海 (全体表示)" "$(winepath -w "$work/landscape.bmp")" 3 \
  "夕焼け (画面いっぱい)" "$(winepath -w "$work/gradient.bmp")" 4 \
  "パノラマ (スパン)" "$(winepath -w "$work/panorama.bmp")" 5 |
  wine "$BIN_DIR/tvltool.exe" make "$(winepath -w "$work/List.tvl")" >/dev/null 2>&1 || return 1
settings='HKCU\Software\Vandrel Software\Tavrin\Settings'
wine reg add "$settings" /v ConfPath /t REG_SZ /d "$(winepath -w "$work/List.tvl")" /f >/dev/null 2>&1
wine reg add "$settings" /v DeskCalPath /t REG_SZ /d "" /f >/dev/null 2>&1

# drive SHOT [STEPS]: the driver's stages, SHOT taken of the main monitor
# (where the tray window and the menu are) when the menu is open.
drive() {
  local shot=$1 stage
  wine reg delete "$settings" /v SelectedWallPaper /f >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Vandrel Software\Tavrin\Monitors' /f >/dev/null 2>&1
  rm -f "$work"/menu-open* "$work"/chosen* "$work"/submenu-open*
  timeout "$SHOTS_TIMEOUT" wine "$BIN_DIR/demo-driver.exe" "$(winepath -w "$BIN_DIR/tavrin.exe")" \
    "$(winepath -w "$work")" ${2:-} </dev/null >/dev/null 2>&1 &
  local driver=$! result=0
  local stages="menu-open chosen"
  [ -z "${2:-}" ] && stages="menu-open chosen submenu-open"
  for stage in $stages; do
    for _ in $(seq 400); do [ -e "$work/$stage" ] && break; sleep 0.1; done
    if [ ! -e "$work/$stage" ]; then echo "Tavrin did not reach '$stage'" >&2; result=1; break; fi
    [ $stage = menu-open ] && { shots_screen "$shot" 800x600+0+0 || result=1; }
    touch "$work/$stage-done"
  done
  wait $driver
  return $result
}
status=0
# Three wallpapers, 次の壁紙 and 自動切替 above the submenu (separators are skipped).
drive menu-monitors 6 || status=1
# Resting on the span wallpaper: its preview has the shape of both monitors together.
drive menu-span || status=1
wineserver -k 2>/dev/null
kill $nested_pid $host_pid 2>/dev/null
return $status
