// The file dialogs as designed, and their file-name extension rules.
#include "ui/file_dialog.h"

#include <algorithm>

namespace ui {

namespace {

void label(Label& control, Rect rect, std::string_view caption) {
    control.rect = rect;
    control.caption = caption;
}

}  // namespace

FileDialog::FileDialog(std::string_view caption) : caption(caption) {
    label(LabelFileName, {120, 120, 1200, 195}, "FileName:");
    Filenamebox.rect = {120, 345, 2700, 315};
    label(LabelDirectory, {3000, 120, 1800, 195}, "Current Directory:");
    label(Dirname, {3000, 345, 2700, 195}, "");
    label(LabelDirectories, {3000, 660, 1800, 195}, "Directories:");
    Dir1.rect = {3000, 885, 2700, 1800};
    File1.rect = {120, 780, 2700, 2220};
    label(LabelFileType, {120, 3120, 1800, 195}, "File Type:");
    Typelist.rect = {120, 3345, 2700, 315};
    label(LabelDrives, {3000, 2805, 1800, 195}, "Drives:");
    Drive1.rect = {3000, 3030, 2700, 315};
    Thebutton[0].rect = {5880, 345, 1080, 375};
    Thebutton[0].caption = "OK";
    Thebutton[1].rect = {5880, 825, 1080, 375};
    Thebutton[1].caption = "Cancel";
}

std::string FileDialog::extensionOf(std::string_view name) {
    std::size_t tailStart = name.size() > 5 ? name.size() - 5 : 0;
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < tailStart) return {};
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return extension;
}

void FileDialog::pictureNameCheck() {
    static constexpr std::array<std::string_view, 7> kPictures = {"gif", "bmp", "pcx", "jpg",
                                                                  "png", "wmf", "eps"};
    std::string extension = extensionOf(Filenamebox.text);
    Thebutton[1].visible =
        std::find(kPictures.begin(), kPictures.end(), extension) == kPictures.end();
}

}  // namespace ui
