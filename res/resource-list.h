// Resource identifiers of the wallpaper list dialog and the entry dialog.
#pragma once
