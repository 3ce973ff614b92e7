// Stands in for the pickers while the picture picker dialogs are not part
// of the build: nothing is picked, nothing imported.
#include "ui/ListEditPickers.h"

bool ChoosePicture(AppContext&, HWND, PictureChoice*) { return false; }

std::vector<std::unique_ptr<CWallPaperData>> ImportPictures(AppContext&, HWND, const std::string&,
                                                            const std::vector<std::string>&) {
    return {};
}
