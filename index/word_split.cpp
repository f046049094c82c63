// Tokens, positions and line-break markers of Create Index. The text is read
// once from left to right; this gives the same tokens as replacing the first
// line break and cutting off the first token over and over, because the
// replacements begin and end with a blank and hold no line break.
#include "index/word_split.h"

#include <cmath>
#include <optional>

#include "index/word_filter.h"

namespace app {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kMarker = "xxxxx";
constexpr int kMarkersPerBarStep = 5;
constexpr double kBarSpan = 1900;
constexpr double kBarOffset = 50;

struct Lines {
    std::string text;
    int breaks = 0;
};

// Each line break replaced, and the final blank appended.
Lines replace_line_breaks(std::string_view working, bool markerMode) {
    const std::string replacement = markerMode ? " " + std::string(kMarker) + " " : " ";
    Lines lines;
    lines.text.reserve(working.size() + 1);
    std::size_t from = 0;
    for (std::size_t at = working.find(kLineBreak); at != std::string_view::npos;
         at = working.find(kLineBreak, from)) {
        lines.text.append(working.substr(from, at - from)).append(replacement);
        from = at + kLineBreak.size();
        ++lines.breaks;
    }
    lines.text.append(working.substr(from)).push_back(' ');
    return lines;
}

// The bar width after markers markers of breaks line breaks; nothing when
// the width would be below zero or there are no line breaks to measure by.
std::optional<int> bar_width(int breaks, int markers) {
    if (breaks == 0) return std::nullopt;
    const double width = kBarSpan / breaks * markers - kBarOffset;
    if (width < 0) return std::nullopt;
    return static_cast<int>(std::lround(width));
}

}  // namespace

std::string working_text(std::string_view text) {
    return std::string(text) + "  ";
}

std::vector<WordStep> split_words(std::string_view working, bool markerMode, std::size_t keyWidth) {
    const Lines lines = replace_line_breaks(working, markerMode);
    const std::string_view text = lines.text;
    std::vector<WordStep> steps;
    std::int32_t position = 0;
    int markers = 0;

    std::size_t start = 0;
    for (std::size_t blank = text.find(' ', start); blank != std::string_view::npos;
         blank = text.find(' ', start)) {
        ++position;
        const StrippedWord stripped = strip_token(text.substr(start, blank - start));
        start = text.find_first_not_of(' ', blank);
        if (start == std::string_view::npos) start = text.size();

        if (markerMode && stripped.word == kMarker) {
            ++markers;
            if (markers % kMarkersPerBarStep == 0) {
                if (std::optional<int> width = bar_width(lines.breaks, markers))
                    steps.emplace_back(BarStep{*width});
            }
            continue;
        }
        if (std::optional<std::string> key = key_of_word(stripped, keyWidth))
            steps.emplace_back(KeyStep{std::move(*key), position});
    }
    return steps;
}

}  // namespace app
