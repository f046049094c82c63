// The Drawer Setup dialog as designed and its help text.
#include "ui/frm_filter.h"

#include <string>

namespace ui {

const std::string_view kDrawerHelpText =
    "Folders allow you to separate documents into specific areas.  If you anticipate a large  "
    "index database it is strongly recommended that you use folders. "
    "\r\n\r\n"
    "You can specify 12 drawer names.  The naming and the structure of the drawer names are up "
    "to you.  "
    "Typically, you may want to incorporate the year and the type of document.  For example, "
    "1999E might represent E-mail message for 1999, or 9912L might represent letters of December "
    "1999 etc.  "
    "\r\n\r\n"
    "The drawer named 'NONE' is an unspecified drawer and is equivalent to a un-named drawer.";

namespace {

constexpr int kBoxLeft = 1200;
constexpr int kBoxHeight = 285;
constexpr int kRowGap = 30;     // between the bottom of a box and the top of the next
constexpr int kLabelDrop = 60;  // a label sits this far below the top of its box

}  // namespace

FrmFilter::FrmFilter() : caption("Drawer Setup") {
    LabelFilter[0].visible = false;
    txtFilter[0].visible = false;
    int top = 120;
    for (int i = 1; i <= kDrawers; ++i) {
        TextBox& box = txtFilter[i];
        box.rect = {kBoxLeft, top, 1000, kBoxHeight};
        box.maxLength = kDrawerNameLength;
        box.font.name = "Courier New";
        box.visible = i == 1;
        Label& label = LabelFilter[i];
        label.rect = {120, top + kLabelDrop, 1000, 195};
        label.caption = "Drawer " + std::to_string(i);
        label.visible = i == 1;
        top += kBoxHeight + kRowGap;
    }
    Text1.rect = {2400, 120, 3600, 3300};
    Text1.multiLine = true;
    buttonOK[0].visible = false;
    buttonOK[1].rect = {2400, 3600, 1080, 375};
    buttonOK[1].caption = "Close";
    buttonOK[2].rect = {4920, 3600, 1080, 375};
    buttonOK[2].caption = "OK";
}

}  // namespace ui
