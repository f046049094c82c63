// The word filter of Create Index: how one token of a text is trimmed of its
// punctuation and becomes a stored key, or nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// A token after its closing and opening punctuation was stripped.
struct StrippedWord {
    std::string word;
    // The character code (0 to 255) the opening strip looked at last: the
    // word's first character, or the second removed character when two
    // opening characters were removed. Unused when the word is empty.
    int firstCode = 0;
};

// Removes up to three closing characters ! " ' ) , . : ; ? from the end of
// token, then up to two opening characters ( ' " ¡ ¿ from its start.
StrippedWord strip_token(std::string_view token);

// The key of a stripped word, or nothing when the word is not kept. Its
// apostrophes become blanks and its leading blanks go; it is kept when it is
// not empty and has two or more characters, is a digit, or has a firstCode
// above 64 (letters and every code from 128 up). The key is the word and one
// blank, cut to keyWidth characters.
std::optional<std::string> key_of_word(const StrippedWord& stripped, std::size_t keyWidth);

}  // namespace app
