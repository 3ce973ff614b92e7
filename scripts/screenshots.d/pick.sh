# The image file dialog, the folder import and the archived-file dialog,
# each opened on demo pictures by tools/shots_pick.cpp.  The archived-file
# dialog lists a demo tar archive through the test tar and Netpbm plug-ins.
status=0
plugins="$SHOTS_WORK/pick-plugins"
mkdir -p "$plugins"
cp "$WIN_BUILD/tests/spi/tar.${PLUGIN_EXT:-spi}" "$WIN_BUILD/tests/spi/pnm.${PLUGIN_EXT:-spi}" "$plugins/" || status=1
for shot in image-file-dialog:image-file folder-import:folder-import archive-select:archive-select; do
  name=${shot%%:*}; dialog=${shot#*:}
  rm -f "$SHOTS_WORK/$name.bmp"
  if [ "$dialog" = archive-select ]; then
    shots_run "$BIN_DIR/shots-pick.exe" "$dialog" "$(win_path "$SHOTS_WORK")\\$name.bmp" "$(win_path "$plugins")\\"
  else
    shots_run "$BIN_DIR/shots-pick.exe" "$dialog" "$(win_path "$SHOTS_WORK")\\$name.bmp"
  fi
  shots_png "$name" || status=1
done
return $status
