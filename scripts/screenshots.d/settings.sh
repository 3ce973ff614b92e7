# The settings dialog, folded and expanded (settings-folded.png,
# settings-expanded.png), on the program's own settings kept in memory.
shots_run "$BIN_DIR/shots-settings.exe" "$(win_path "$SHOTS_WORK")"
shots_png settings-folded && shots_png settings-expanded
