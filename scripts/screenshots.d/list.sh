# The wallpaper list dialog and the entry dialog in add and edit mode,
# each opened on a demo list by tools/shots_list.cpp.
status=0
for shot in list-dialog:list entry-add:entry-add entry-edit:entry-edit entry-styles:entry-styles; do
  name=${shot%%:*}; dialog=${shot#*:}
  rm -f "$SHOTS_WORK/$name.bmp"
  shots_run "$BIN_DIR/shots-list.exe" "$dialog" "$(win_path "$SHOTS_WORK")\\$name.bmp"
  shots_png "$name" || status=1
done
return $status
