// The main window frmMain as plain state: every control under its own name,
// the menu bar, the toolbar with its hover frame, and the state the
// main-window routines share (hit list, keyword list, query expression, ...).
// A default-constructed FrmMain is the window as designed, before start-up
// reads the settings and fills the drawer box.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/controls.h"
#include "ui/main_menu.h"

namespace ui {

// The program's name: window caption and title of every message box.
inline constexpr std::string_view kProgramName = "Vellumark";
// The title text the About box shows.
inline constexpr std::string_view kTitleText = "Vellumark v2.1";

// The control of the main window that has the keyboard focus.
enum class MainFocus {
    None,
    txtInput,
    txtSearch,
    ComboFilter,
    CheckTolerance,
    CheckTopOnly,
    CommandSummary,
    ComboSummary
};

// The picture of the hover frame pBorder: none, the raised frame (Image4)
// or the pressed frame (Image2).
enum class FramePicture { None, Raised, Pressed };

// A toolbar button: a picture showing a word, with a tooltip.
struct ToolButton : Control {
    std::string word;
};

// The frame drawn around the toolbar button under the mouse.
struct HoverFrame : Control {
    FramePicture picture = FramePicture::None;
    int button = -1;  // the button it was last placed around; -1 before any
};

inline constexpr int kToolButtons = 7;
inline constexpr int kHitSlots = 101;     // hit list slots 0 to 100; 0 is never used
inline constexpr int kKeywordSlots = 21;  // keyword list slots 0 to 20; 0 is never used
inline constexpr std::int16_t kKeyWidth = 10;

struct FrmMain {
    FrmMain();

    // The window itself; start-up centres it on the screen.
    std::string caption;
    Rect rect;

    // Toolbar. Button and frame positions are relative to Frame1.
    Picture Frame1;
    std::array<ToolButton, kToolButtons> pButton;  // Paste Index Find Prior Next Print Clear
    HoverFrame pBorder;
    Picture Image2;  // the pressed frame picture, placed beyond the right edge
    Picture Image4;  // the raised frame picture, placed beyond the right edge

    // Search options and drawers.
    CheckBox CheckTolerance;
    CheckBox CheckTopOnly;
    Label LabelFilter;
    ComboBox ComboFilter;  // editable: its text is the drawer in force
    Button CommandSummary;

    // Create Index's progress bar: the bar LabelScale (its width and colour
    // change) drawn over the track ImageScale. Hidden while no text is indexed.
    Label LabelScale;
    Picture ImageScale;

    Label Label1;
    TextBox txtSearch;
    Label Label3;
    TextBox txtInput;
    ComboBox ComboSummary;  // the summary list, laid over txtInput when shown

    // Status line.
    Picture Image1;
    Label LabelRecNo;
    Label LabelCount;
    Label LabelDelete;
    Label LabelRecord;
    Label LabelDate;
    Label LabelOptimized;

    MainFocus focus = MainFocus::txtSearch;
    MainMenu menu;

    // The text box with the keyboard focus (txtInput or txtSearch), or
    // nullptr when another control has it: what the Edit commands act on.
    TextBox* activeTextBox();

    // The toolbar's look, one method per mouse event. A press also runs the
    // button's command and a release first yields to the window system; both
    // are the caller's part. An index outside 0 to 6 changes nothing.
    void pButton_MouseMove(int index);  // the raised frame around button index
    void pButton_MouseDown();           // the frame looks pressed
    void pButton_MouseUp();             // the frame looks raised again
    void background_MouseMove();        // over the window or Frame1: no frame picture

    // State the main-window routines share.
    std::array<std::string, kHitSlots> hitList;  // document numbers as Items field text
    std::array<std::string, kKeywordSlots> keywordList;
    std::string queryExpression;   // of the last search; shown by Search Criteria
    std::string lastSearchString;  // kept by clear_screen for a double-click on txtSearch
    std::string deleted_text;      // text of the deleted document whose notice is shown
    std::int32_t highestDocumentNumber = 0;
    std::int16_t headerSize = 25;     // the font size of the document text is txtInput.font.size
    std::int16_t lastReturnCode = 0;  // of the last engine call
    // The document number of what the view shows; empty when it shows none.
    std::optional<std::int32_t> documentOnDisplay;
    std::string titleText{kTitleText};
    std::string settingsPath;  // program folder + "vellumark.ini"
    std::string helpPath;      // program folder + "vellumark.hlp"
    std::string keysPath;      // program folder + "Keys.dbf"
    std::string textPath;      // program folder + "Text.dbf"
};

}  // namespace ui
