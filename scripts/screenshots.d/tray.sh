# The wallpaper menu open with the preview of its top item (menu.png), the
# automatic change's submenu (menu-autochange.png), and
# the balloon of the running copy after a second start (already-running.png),
# on three demo pictures.  tools/demo_driver.cpp opens and chooses the menu.
work="$SHOTS_WORK/tray"
mkdir -p "$work"
convert -size 320x200 gradient:dodgerblue-orange "BMP3:$work/gradient.bmp" &&
  convert -size 64x64 pattern:checkerboard "BMP3:$work/tiles.bmp" &&
  convert -size 320x200 gradient:skyblue-seagreen "BMP3:$work/landscape.bmp" || return 1
printf '%s\t%s\t%s\t1\n' \
  "風景 (中央)" "$(win_path "$work/landscape.bmp")" 0 \
  "タイル (並べる)" "$(win_path "$work/tiles.bmp")" 1 \
  "グラデーション (拡大)" "$(win_path "$work/gradient.bmp")" 2 |
  wine "$BIN_DIR/tvltool.exe" make "$(win_path "$work/List.tvl")" >/dev/null 2>&1 || return 1
settings='HKCU\Software\Vandrel Software\Tavrin\Settings'
wine reg add "$settings" /v ConfPath /t REG_SZ /d "$(win_path "$work/List.tvl")" /f >/dev/null 2>&1
wine reg add "$settings" /v DeskCalPath /t REG_SZ /d "" /f >/dev/null 2>&1
wine reg delete "$settings" /v SelectedWallPaper /f >/dev/null 2>&1

shots_run "$BIN_DIR/demo-driver.exe" "$(win_path "$BIN_DIR/tavrin.exe")" "$(win_path "$work")" &
driver=$!
status=0
for stage in menu-open chosen submenu-open; do
  for _ in $(seq 400); do [ -e "$work/$stage" ] && break; sleep 0.1; done
  if [ ! -e "$work/$stage" ]; then echo "Tavrin did not reach '$stage'" >&2; status=1; break; fi
  [ $stage = menu-open ] && { shots_screen menu || status=1; }
  [ $stage = submenu-open ] && { shots_screen menu-autochange || status=1; }
  touch "$work/$stage-done"
done
wait $driver

# A second start while the first runs: the first says so from its icon.
shots_run "$BIN_DIR/tavrin.exe" &
first=$!
sleep 5
shots_run "$BIN_DIR/tavrin.exe"
sleep 3
# The lower-right corner of the desktop, where the icon is.
width=${SHOTS_DESKTOP%x*}; height=${SHOTS_DESKTOP#*x}
shots_screen already-running "560x220+$((width - 560))+$((height - 220))" || status=1
wine taskkill /IM tavrin.exe >/dev/null 2>&1
wait $first
return $status
