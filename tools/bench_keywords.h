// Keyword records made from real English text the way Create Index makes
// them, for the engine benchmarks (bench_engine, bench_relate): each word of
// the text becomes a key (the word and a blank, cut to ten characters, case
// as written), documents are 400 keyword records long.
#pragma once

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "xbase/expr.h"

namespace bench {

// Where the corpus lives on Debian (package linux-doc-6.1).
inline const char* const kDefaultCorpus = "/usr/share/doc/linux-doc-6.1/html/_sources";

struct KeyRecord {
    std::string key;  // word + blank, cut to 10, case as in the text
    long items;       // the document number
    long order;       // the word's position in its document
};

inline bool closingMark(char c) {
    return c != '\0' && std::strchr("!\"'),.:;?", c) != nullptr;
}
inline bool openingMark(unsigned char c) {
    return c == '(' || c == '\'' || c == '"' || c == 161 || c == 191;
}

// One token of the text as a key; empty when the word filter drops it.
inline std::string keyOf(std::string word) {
    for (int i = 0; i < 3 && !word.empty() && closingMark(word.back()); ++i)
        word.pop_back();
    auto c = word.empty() ? 0 : static_cast<unsigned char>(word[0]);
    for (int i = 0; i < 2 && !word.empty() && openingMark(static_cast<unsigned char>(word[0]));
         ++i) {
        word.erase(0, 1);
        if (i == 0 && !word.empty()) c = static_cast<unsigned char>(word[0]);
    }
    std::replace(word.begin(), word.end(), '\'', ' ');
    const std::size_t start = word.find_first_not_of(' ');
    word.erase(0, start == std::string::npos ? word.size() : start);
    const bool digit = word.size() == 1 && word[0] >= '0' && word[0] <= '9';
    if (word.empty() || !(word.size() >= 2 || digit || c > 64)) return {};
    word += ' ';
    if (word.size() > 10) word.resize(10);
    return word;
}

// count keyword records of documents of 400 records from the text files
// under corpus (read again from the start when they run out).
inline std::vector<KeyRecord> corpusRecords(const std::string& corpus, std::size_t count) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<KeyRecord> out;
    out.reserve(count);
    long doc = 1, order = 0;
    while (out.size() < count && !files.empty()) {
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            std::string word;
            while (out.size() < count && in >> word) {
                std::string key = keyOf(word);
                ++order;
                if (key.empty()) continue;
                out.push_back({key, doc, order});
                if (out.size() % 400 == 0) {
                    ++doc;
                    order = 0;
                }
            }
            if (out.size() >= count) break;
        }
    }
    return out;
}

// The key as the search compares it: upper case, trailing blanks dropped.
inline std::string upperTrimmed(const std::string& key) {
    std::string out = xbase::upperCp1252(key);
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

}  // namespace bench
