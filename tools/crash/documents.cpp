// Reproducible document texts and the keys they are stored under.
#include "tools/crash/documents.h"

#include <iterator>
#include <random>
#include <variant>

#include "index/word_split.h"

namespace reliability {
namespace {

constexpr const char* kSyllables[] = {"ka",  "lo",  "mer", "tin", "o",   "san", "dre",   "vu",
                                      "pel", "ith", "qua", "zo",  "bri", "an",  "\xE9t", "gr\xFC"};
constexpr const char* kEndings[] = {"", "", "", "", ",", ".", "!", "?", ")", ";", "'s"};
constexpr int kLast = static_cast<int>(std::size(kSyllables)) - 1;
constexpr std::size_t kKeyWidth = 10;

}  // namespace

std::string document_text(std::uint32_t seed, std::uint32_t sequence) {
    std::mt19937 random(seed * 2654435761u ^ (sequence + 1) * 40503u);
    auto pick = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    const bool large = pick(0, 7) == 0;
    const int words = large ? pick(900, 1400) : pick(3, 120);
    std::string text = "Document " + std::to_string(seed) + "-" + std::to_string(sequence) + ".";
    for (int w = 0; w < words; ++w) {
        text += pick(0, 9) == 0 ? "\r\n" : " ";
        if (pick(0, 12) == 0) text += "(";
        std::string word;
        for (int s = pick(1, 4); s > 0; --s)
            word += kSyllables[pick(0, kLast)];
        if (pick(0, 5) == 0 && word[0] >= 'a' && word[0] <= 'z')
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        text += word;
        text += kEndings[pick(0, static_cast<int>(std::size(kEndings)) - 1)];
    }
    return text;
}

std::vector<std::string> stored_keys(const std::string& text) {
    const std::string working = app::working_text(text);
    std::vector<std::string> keys;
    for (const app::WordStep& step :
         app::split_words(working, working.size() >= app::kLargeWorkingText, kKeyWidth)) {
        if (const auto* key = std::get_if<app::KeyStep>(&step)) keys.push_back(key->key);
    }
    return keys;
}

}  // namespace reliability
