// The controls of the forms as plain state: what each shows (text, caption,
// colours, font, check mark, list), whether it is visible and enabled, and
// where it sits, in twips (15 to a pixel). The Qt window draws this state and
// writes user input back into it; the routines read and write it directly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kLightGrey{192, 192, 192};
// Text colour of the deletion notice.
inline constexpr Rgb kNoticeColour{0, 0, 192};
// Text colour of the search's "NO RECORD FOUND" texts.
inline constexpr Rgb kMessageColour{192, 0, 0};

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Font {
    std::string name;  // empty: the window system's usual font
    int size = 8;      // points
    bool bold = false;
};

// What every control has.
struct Control {
    Rect rect;
    std::string toolTip;
    bool visible = true;
    bool enabled = true;
    Rgb foreColour = kBlack;
    std::optional<Rgb> backColour;  // unset: the window system's own colour
    Font font;
};

struct Label : Control {
    std::string caption;
};

struct Button : Control {
    std::string caption;
};

struct CheckBox : Control {
    std::string caption;
    bool checked = false;
};

// Frames and images that only show a picture of their own.
struct Picture : Control {};

// One step of undo, as a single-line or multi-line edit control keeps it:
// the text before and after the last edit. Undoing swaps the two, so a
// second undo redoes.
struct UndoStep {
    bool valid = false;
    std::string before;
    std::string after;
    int selStart = 0;  // where the edit began, for the caret after an undo
};

struct TextBox : Control {
    std::string text;  // cp1252, CR LF line breaks
    int selStart = 0;  // selection: first character (0-based) and length
    int selLength = 0;
    bool multiLine = false;
    int maxLength = 0;  // characters the user may enter; 0 for no limit
    UndoStep undo;

    // The selected text; the selection is clamped to the text first.
    std::string selectedText() const;
    // Replaces the selection as typing or pasting would (cut to maxLength),
    // leaves the caret after the new text and makes the edit undoable.
    void replaceSelection(std::string_view replacement);
    // True when the last edit can be undone: one was made and the text has
    // not been set otherwise since.
    bool canUndo() const;
    // Reverts the last edit; nothing happens when canUndo() is false.
    void undoLastEdit();
};

// A list of items with one selected (listIndex -1: none).
struct ListBox : Control {
    std::vector<std::string> items;
    int listIndex = -1;

    // The selected item, or an empty string when none is selected.
    std::string selectedItem() const;
};

// A drop-down list; an editable one also takes typed text, which text holds.
struct ComboBox : ListBox {
    std::string text;
    bool editable = false;

    void clear();
    void addItem(std::string item);
    // Selects item index and shows it as the text; an index out of range
    // selects nothing and leaves the text.
    void select(int index);
};

}  // namespace ui
