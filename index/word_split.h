// How Create Index cuts a text into tokens: line breaks, positions, the
// line-break markers of large texts with the progress bar they move, and the
// keys of the kept words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace app {

// The longest working text stored (a text box text of 32766 characters).
inline constexpr std::size_t kLongestWorkingText = 32768;
// From this working length on a text is large: marker mode and progress bar.
inline constexpr std::size_t kLargeWorkingText = 5000;

// A keyword record to write: the key and the word's position (1 for the
// first token; every token counts, markers included).
struct KeyStep {
    std::string key;
    std::int32_t position = 0;
};

// A new width of the progress bar, in twips.
struct BarStep {
    int width = 0;
};

using WordStep = std::variant<KeyStep, BarStep>;

// The text with the two blanks that end every working text.
std::string working_text(std::string_view text);

// The steps of indexing a working text, in order. Each CR LF becomes one
// blank, or in marker mode a marker token "xxxxx" that takes a position and
// stores nothing; with B line breaks, every fifth marker passed moves the bar
// to 1900 / B * markers - 50 (rounded; never below zero). Tokens are the runs
// between blanks, and only a working text that begins with a blank has an
// empty first token.
std::vector<WordStep> split_words(std::string_view working, bool markerMode, std::size_t keyWidth);

}  // namespace app
