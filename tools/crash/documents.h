// Documents for the crash harness and the reliability tests: texts made from
// a seed and a sequence number, so a child process that stores them and the
// parent that checks the store afterwards agree on every byte without passing
// the texts around.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reliability {

// A text of words, punctuation and CR LF line breaks, at least 10 characters.
// Mostly short; about one in eight is a large text (5000 characters and more).
std::string document_text(std::uint32_t seed, std::uint32_t sequence);

// The keys Create Index stores for text (one per kept word), as the keyword
// table holds them: cut to the key width, without the padding.
std::vector<std::string> stored_keys(const std::string& text);

}  // namespace reliability
