// Resource identifiers of the picture pickers: image file dialog, folder import, archived-file dialog.
#pragma once
