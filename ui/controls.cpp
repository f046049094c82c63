// Selection, editing and undo of text boxes; selection of lists.
#include "ui/controls.h"

#include <algorithm>

namespace ui {

namespace {

struct Span {
    std::size_t start;
    std::size_t length;
};

Span clampedSelection(const TextBox& box) {
    std::size_t size = box.text.size();
    std::size_t start = std::min<std::size_t>(std::max(box.selStart, 0), size);
    std::size_t length = std::min<std::size_t>(std::max(box.selLength, 0), size - start);
    return {start, length};
}

}  // namespace

std::string TextBox::selectedText() const {
    Span span = clampedSelection(*this);
    return text.substr(span.start, span.length);
}

void TextBox::replaceSelection(std::string_view replacement) {
    Span span = clampedSelection(*this);
    if (maxLength > 0) {
        std::size_t room = text.size() - span.length < static_cast<std::size_t>(maxLength)
                               ? maxLength - (text.size() - span.length)
                               : 0;
        replacement = replacement.substr(0, std::min(room, replacement.size()));
    }
    std::string before = text;
    text.replace(span.start, span.length, replacement);
    undo = {true, std::move(before), text, static_cast<int>(span.start)};
    selStart = static_cast<int>(span.start + replacement.size());
    selLength = 0;
}

bool TextBox::canUndo() const {
    return undo.valid && undo.after == text;
}

void TextBox::undoLastEdit() {
    if (!canUndo()) return;
    std::swap(undo.before, undo.after);
    text = undo.after;
    selStart = std::min(undo.selStart, static_cast<int>(text.size()));
    selLength = 0;
}

std::string ListBox::selectedItem() const {
    if (listIndex < 0 || static_cast<std::size_t>(listIndex) >= items.size()) return {};
    return items[static_cast<std::size_t>(listIndex)];
}

void ComboBox::clear() {
    items.clear();
    listIndex = -1;
    text.clear();
}

void ComboBox::addItem(std::string item) {
    items.push_back(std::move(item));
}

void ComboBox::select(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return;
    listIndex = index;
    text = items[static_cast<std::size_t>(index)];
}

}  // namespace ui
