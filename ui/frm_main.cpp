// The main window as designed, and the hover frame of its toolbar.
//
// Layout in twips for the designed window of 8295 x 6000: the toolbar frame
// and the option controls along the top, the search box, the document box,
// and the status strip along the bottom. The document box and the status
// line are placed exactly where start-up's layout puts them for that size.
#include "ui/frm_main.h"

namespace ui {

namespace {

constexpr int kWindowWidth = 8295;
constexpr int kWindowHeight = 6000;
constexpr int kInputTop = 1710;
constexpr int kStripLeft = 15;
constexpr int kStripTop = kWindowHeight - 970;
constexpr int kStripWidth = kWindowWidth - 150;
constexpr int kStatusTop = kStripTop + 24;
constexpr int kFrameInset = 15;  // the hover frame's ring around a button

struct ToolDesign {
    const char* word;
    const char* toolTip;
};

constexpr std::array<ToolDesign, kToolButtons> kTools = {{{"Paste", "Import (Clipboard)"},
                                                          {"Index", "Create Index"},
                                                          {"Find", "Search"},
                                                          {"Prior", "Show Previous"},
                                                          {"Next", "Show Next"},
                                                          {"Print", "Print"},
                                                          {"Clear", "Clear"}}};

void place(Control& control, Rect rect, std::string_view toolTip = {}) {
    control.rect = rect;
    control.toolTip = toolTip;
}

void label(Label& control, Rect rect, std::string_view caption, std::string_view toolTip = {}) {
    place(control, rect, toolTip);
    control.caption = caption;
}

}  // namespace

FrmMain::FrmMain() : caption(kProgramName), rect{0, 0, kWindowWidth, kWindowHeight} {
    place(Frame1, {60, 0, 4440, 780});
    for (int i = 0; i < kToolButtons; ++i) {
        ToolButton& button = pButton[i];
        place(button, {120 + 600 * i, 168, 480, 480}, kTools[i].toolTip);
        button.word = kTools[i].word;
    }
    place(pBorder, {120 - kFrameInset, 168 - kFrameInset, 510, 510});
    pBorder.visible = false;
    place(Image2, {kWindowWidth + 600, 0, 510, 510});
    place(Image4, {kWindowWidth + 1200, 0, 510, 510});

    place(CheckTolerance, {4620, 60, 1860, 255}, "Allows one mis-match");
    CheckTolerance.caption = "HighTolerance";
    place(CheckTopOnly, {4620, 420, 1860, 255}, "Searches header text only");
    CheckTopOnly.caption = "Search Header Only";
    label(LabelFilter, {6600, 0, 1500, 195}, "Folders");
    place(ComboFilter, {6600, 210, 1500, 315}, "Drawers or Folders");
    ComboFilter.editable = true;
    place(CommandSummary, {6600, 570, 1500, 300});
    CommandSummary.caption = "&Summary";

    label(Label1, {120, 930, 1500, 195}, "Search String");
    label(LabelScale, {1800, 930, 50, 195}, "");
    LabelScale.visible = false;
    place(ImageScale, {1800, 930, 1950, 195});
    ImageScale.visible = false;
    place(txtSearch, {120, 1140, 7935, 315}, "Search string");
    txtSearch.font.name = "Courier New";

    label(Label3, {120, 1500, 1500, 195}, "Text");
    place(txtInput, {120, kInputTop, 7935, kWindowHeight - kInputTop - 1080});
    txtInput.multiLine = true;
    txtInput.font.size = 11;
    place(ComboSummary, {120, kInputTop, 7935, 315});
    ComboSummary.visible = false;
    ComboSummary.backColour = kLightGrey;

    place(Image1, {kStripLeft, kStripTop, kStripWidth, 300});
    label(LabelRecNo, {kStripLeft + 360, kStatusTop, 900, 255}, "No", "This document");
    label(LabelCount, {1800, kStatusTop, 900, 255}, "Count", "Number of documents");
    label(LabelDelete, {3150, kStatusTop, 1200, 255}, "");
    label(LabelRecord, {5100, kStatusTop, 1200, 255}, "#Rec", "Record ID numb er");
    label(LabelDate, {kStripWidth - 1440, kStatusTop, 1200, 255}, "Date", "Document date");
    label(LabelOptimized, {kStripLeft + kStripWidth - 480, kStatusTop, 300, 255}, "",
          "Y=Optimized");
}

TextBox* FrmMain::activeTextBox() {
    switch (focus) {
        case MainFocus::txtInput:
            return &txtInput;
        case MainFocus::txtSearch:
            return &txtSearch;
        default:
            return nullptr;
    }
}

void FrmMain::pButton_MouseMove(int index) {
    if (index < 0 || index >= kToolButtons) return;
    const Rect& button = pButton[index].rect;
    pBorder.visible = true;
    pBorder.rect.left = button.left - kFrameInset;
    pBorder.rect.top = button.top - kFrameInset;
    pBorder.picture = FramePicture::Raised;
    pBorder.button = index;
}

void FrmMain::pButton_MouseDown() {
    pBorder.picture = FramePicture::Pressed;
}

void FrmMain::pButton_MouseUp() {
    pBorder.picture = FramePicture::Raised;
}

void FrmMain::background_MouseMove() {
    pBorder.picture = FramePicture::None;
}

}  // namespace ui
