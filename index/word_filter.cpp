// The word filter of Create Index: punctuation strips, apostrophes, the keep
// test and the key.
#include "index/word_filter.h"

#include <algorithm>

namespace app {

namespace {

constexpr std::string_view kClosing = "!\"'),.:;?";
constexpr std::string_view kOpening = "('\"\xA1\xBF";  // ( ' " and the inverted ! and ?
constexpr int kMostClosing = 3;
constexpr int kMostOpening = 2;
constexpr int kLastCodeBelowLetters = 64;

bool is_one_of(std::string_view set, char c) {
    return set.find(c) != std::string_view::npos;
}

int code_of(char c) {
    return static_cast<unsigned char>(c);
}

}  // namespace

StrippedWord strip_token(std::string_view token) {
    std::string word(token);
    for (int i = 0; i < kMostClosing && !word.empty() && is_one_of(kClosing, word.back()); ++i)
        word.pop_back();

    StrippedWord result;
    if (word.empty()) return result;
    result.firstCode = code_of(word.front());
    for (int i = 0; i < kMostOpening && is_one_of(kOpening, static_cast<char>(result.firstCode));
         ++i) {
        word.erase(0, 1);
        // After the second removal the code stays that of the removed character.
        if (i == 0 && !word.empty()) result.firstCode = code_of(word.front());
    }
    result.word = std::move(word);
    return result;
}

std::optional<std::string> key_of_word(const StrippedWord& stripped, std::size_t keyWidth) {
    std::string word = stripped.word;
    std::replace(word.begin(), word.end(), '\'', ' ');
    word.erase(0, word.find_first_not_of(' '));  // npos erases all: a word of blanks
    if (word.empty()) return std::nullopt;

    const bool digit = word.size() == 1 && word[0] >= '0' && word[0] <= '9';
    if (word.size() < 2 && !digit && stripped.firstCode <= kLastCodeBelowLetters)
        return std::nullopt;

    std::string key = word + ' ';
    if (key.size() > keyWidth) key.resize(keyWidth);
    return key;
}

}  // namespace app
