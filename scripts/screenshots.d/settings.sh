# The settings dialog, folded and expanded (settings-folded.png,
# settings-expanded.png), on the program's own settings kept in memory.
# The picture maker runs from a copy in C:\Program Files\Tavrin with the
# picture plug-in beside it, so the dialog shows the paths of an installed
# program, not of the build folder.
demo="$WINEPREFIX/drive_c/Program Files/Tavrin"
rm -rf "$demo"
mkdir -p "$demo/plugins"
cp "$BIN_DIR/shots-settings.exe" "$demo/" && cp "$BIN_DIR"/plugins/*.spi "$demo/plugins/" || return 1
shots_run "$demo/shots-settings.exe" "$(win_path "$SHOTS_WORK")"
rm -rf "$demo"
shots_png settings-folded && shots_png settings-expanded
