# The settings dialog, folded and expanded (settings-folded.png,
# settings-expanded.png), on the program's own settings kept in memory.
# The picture maker runs as C:\Program Files\Tavrin\tavrin.exe with the
# picture plug-in beside it, so the dialog shows the names and paths of an
# installed program, not of the build folder.
demo="$WINEPREFIX/drive_c/Program Files/Tavrin"
rm -rf "$demo"
mkdir -p "$demo/plugins"
cp "$BIN_DIR/shots-settings.exe" "$demo/tavrin.exe" && cp "$BIN_DIR"/plugins/*."${PLUGIN_EXT:-spi}" "$demo/plugins/" || return 1
shots_run "$demo/tavrin.exe" "$(win_path "$SHOTS_WORK")"
rm -rf "$demo"
shots_png settings-folded && shots_png settings-expanded
