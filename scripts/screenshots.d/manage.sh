# The picture cache dialog on demo pictures, and the plug-in settings and
# status dialogs on the dialog test plug-ins, each opened by tools/shots_manage.cpp.
status=0
plugins=$(win_path "$WIN_BUILD/tests/spi")
if [ ! -f "$WIN_BUILD/tests/spi/mg_verfall.${PLUGIN_EXT:-spi}" ]; then
  cmake --build "$WIN_BUILD" --target mg_verfall mg_plain mg_arc mg_arc2 >/dev/null || return 1
fi
for shot in cache-dialog:cache plugin-settings:plugins plugin-status:status; do
  name=${shot%%:*}; dialog=${shot#*:}
  rm -f "$SHOTS_WORK/$name.bmp"
  if [ "$dialog" = cache ]; then
    shots_run "$BIN_DIR/shots-manage.exe" "$dialog" "$(win_path "$SHOTS_WORK")\\$name.bmp"
  else
    shots_run "$BIN_DIR/shots-manage.exe" "$dialog" "$(win_path "$SHOTS_WORK")\\$name.bmp" "$plugins"
  fi
  shots_png "$name" || status=1
done
return $status
