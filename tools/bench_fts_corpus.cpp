// The full-text benchmark's corpus: reading the Debian packages, the fixed
// document order, the work file and the choice of search strings.
//
// Design note. Everything here is deterministic: the same packages give the
// same documents in the same order and the same queries, so figures from
// separate runs compare, and the first 10,000 documents are also the first
// 10,000 of the 100,000 and of the full corpus.
#include "tools/bench_fts_corpus.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "index/word_split.h"
#include "platform/cp1252.h"
#include "ui/frm_main.h"

namespace benchfts {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLongestText = 32766;
constexpr std::size_t kShortestText = 10;

// A small fixed pseudo-random sequence (splitmix64), the same on every
// platform and library.
class Sequence {
  public:
    explicit Sequence(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }

  private:
    std::uint64_t state_;
};

template <typename T>
void shuffle(std::vector<T>& items, Sequence& sequence) {
    for (std::size_t i = items.size(); i > 1; --i)
        std::swap(items[i - 1], items[sequence.below(i)]);
}

// A number in the dictionary index's base 64.
std::uint64_t dict_number(const std::string& digits) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::uint64_t value = 0;
    for (char c : digits)
        value = value * 64 + alphabet.find(c);
    return value;
}

bool read_file(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The output of a command (zcat reads the dictionary's dictzip file).
bool read_command(const std::string& command, std::string& out) {
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    return ::pclose(pipe) == 0;
}

std::string trim_line_ends(const std::string& text) {
    const std::size_t first = text.find_first_not_of("\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of("\r\n") - first + 1);
}

void add_document(std::vector<Document>& out, const char* drawer, const std::string& text) {
    const std::string trimmed = trim_line_ends(text);
    const std::size_t first = trimmed.find_first_not_of(' ');
    if (first == std::string::npos || trimmed.size() - first < kShortestText) return;
    out.push_back(Document{drawer, trimmed, {}, 0});
}

bool read_dictionary(const CorpusSources& sources, std::vector<Document>& out, std::string& error) {
    std::ifstream index(sources.gcideIndex);
    if (!index) {
        error = "cannot read " + sources.gcideIndex + " (apt-get install dict-gcide)";
        return false;
    }
    std::set<std::pair<std::uint64_t, std::uint64_t>> entries;  // offset, length
    for (std::string line; std::getline(index, line);) {
        std::istringstream fields(line);
        std::string headword, offset, length;
        if (!std::getline(fields, headword, '\t') || !std::getline(fields, offset, '\t') ||
            !std::getline(fields, length))
            continue;
        if (headword.starts_with("00-database") || headword.starts_with("00database")) continue;
        entries.emplace(dict_number(offset), dict_number(length));
    }
    std::string dict;
    if (!read_command("zcat -- '" + sources.gcideDict + "'", dict) || entries.empty()) {
        error = "cannot read " + sources.gcideDict + " (apt-get install dict-gcide)";
        return false;
    }
    for (const auto& [offset, length] : entries) {
        if (offset >= dict.size()) continue;
        add_document(out, kDictionaryDrawer,
                     platform::textFromFile(std::string_view(dict).substr(offset, length)));
    }
    return true;
}

// Cuts text into parts of at most kLongestText characters, each ending at
// a line end where there is one.
void add_in_parts(std::vector<Document>& out, const std::string& text) {
    std::size_t from = 0;
    while (text.size() - from > kLongestText) {
        std::size_t cut = text.rfind("\r\n", from + kLongestText - 2);
        cut = (cut == std::string::npos || cut <= from) ? from + kLongestText : cut + 2;
        add_document(out, kKernelDrawer, text.substr(from, cut - from));
        from = cut;
    }
    add_document(out, kKernelDrawer, text.substr(from));
}

bool read_kernel_documents(const CorpusSources& sources, std::vector<Document>& out,
                           std::string& error) {
    std::error_code ec;
    std::vector<fs::path> files;
    const fs::path translations = fs::path(sources.linuxDocs) / "translations";
    for (auto it = fs::recursive_directory_iterator(sources.linuxDocs, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path() == translations) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && it->path().extension() == ".txt") files.push_back(it->path());
    }
    if (files.empty()) {
        error = "no documents under " + sources.linuxDocs + " (apt-get install linux-doc-6.1)";
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::string bytes;
        if (read_file(file, bytes)) add_in_parts(out, platform::textFromFile(bytes));
    }
    return true;
}

std::vector<app::KeyStep> keys_of(const std::string& text) {
    const std::string working = app::working_text(text);
    std::vector<app::KeyStep> keys;
    for (app::WordStep& step :
         app::split_words(working, working.size() >= app::kLargeWorkingText, ui::kKeyWidth)) {
        if (auto* key = std::get_if<app::KeyStep>(&step)) keys.push_back(std::move(*key));
    }
    return keys;
}

std::string trimmed_key(const std::string& key) {
    return key.substr(0, key.find_last_not_of(' ') + 1);
}

// The key as a lower-case word when it is a word both sides see alike: ASCII
// letters only, shorter than the key width (so not cut), at least minLength.
std::string plain_word(const std::string& key, std::size_t minLength) {
    std::string word = trimmed_key(key);
    if (word.size() < minLength || word.size() >= static_cast<std::size_t>(ui::kKeyWidth))
        return {};
    for (char& c : word) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return {};
        if (c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return word;
}

std::vector<std::string> plain_words(const std::string& text, std::size_t minLength) {
    std::vector<std::string> words;
    for (const app::KeyStep& key : keys_of(text)) {
        std::string word = plain_word(key.key, minLength);
        if (!word.empty()) words.push_back(std::move(word));
    }
    return words;
}

bool distinct_starts(const std::vector<std::string>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        for (std::size_t j = i + 1; j < words.size(); ++j) {
            if (words[i].compare(0, 3, words[j], 0, 3) == 0) return false;
        }
    }
    return true;
}

// Picks queries by pick(document index) until perKind distinct ones are
// found or the attempts run out.
template <typename Pick>
void pick_queries(std::vector<Query>& out, SearchKind kind, std::size_t documents,
                  std::size_t perKind, Sequence& sequence, Pick pick) {
    std::set<std::pair<std::string, std::vector<std::string>>> seen;
    for (std::size_t attempt = 0; attempt < perKind * 50 && seen.size() < perKind; ++attempt) {
        Query query{kind, {}, {}};
        if (!pick(sequence.below(documents), query)) continue;
        if (seen.emplace(query.drawer, query.words).second) out.push_back(std::move(query));
    }
}

}  // namespace

std::vector<Document> read_corpus(const CorpusSources& sources, std::size_t count,
                                  std::string& error) {
    std::vector<Document> documents;
    if (!read_dictionary(sources, documents, error) ||
        !read_kernel_documents(sources, documents, error))
        return {};
    Sequence sequence(20240315);
    shuffle(documents, sequence);
    if (count != 0 && count < documents.size()) documents.resize(count);
    documents.shrink_to_fit();
    for (Document& document : documents) {
        const std::vector<app::KeyStep> keys = keys_of(document.text);
        document.keywords = static_cast<std::uint32_t>(keys.size());
        for (const app::KeyStep& key : keys) {
            if (key.position >= kHeaderSize) break;
            if (!document.head.empty()) document.head += ' ';
            document.head += trimmed_key(key.key);
        }
    }
    return documents;
}

namespace {

void put_text(std::FILE* file, const std::string& text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    std::fwrite(&size, sizeof size, 1, file);
    std::fwrite(text.data(), 1, text.size(), file);
}

bool get_text(std::FILE* file, std::string& text) {
    std::uint32_t size = 0;
    if (std::fread(&size, sizeof size, 1, file) != 1) return false;
    text.resize(size);
    return std::fread(text.data(), 1, size, file) == size;
}

}  // namespace

bool write_documents(const std::string& path, const std::vector<Document>& documents) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    for (const Document& document : documents) {
        put_text(file, document.drawer);
        put_text(file, document.text);
        put_text(file, document.head);
        std::fwrite(&document.keywords, sizeof document.keywords, 1, file);
    }
    return std::fclose(file) == 0;
}

DocumentFile::DocumentFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

DocumentFile::~DocumentFile() {
    if (file_ != nullptr) std::fclose(file_);
}

bool DocumentFile::next(Document& document) {
    return file_ != nullptr && get_text(file_, document.drawer) && get_text(file_, document.text) &&
           get_text(file_, document.head) &&
           std::fread(&document.keywords, sizeof document.keywords, 1, file_) == 1;
}

const char* kind_name(SearchKind kind) {
    switch (kind) {
        case SearchKind::RareWord:
            return "rare word";
        case SearchKind::CommonWord:
            return "common word";
        case SearchKind::Prefix:
            return "prefix of 3 letters";
        case SearchKind::ThreeWords:
            return "three words";
        case SearchKind::ThreeWordsTolerant:
            return "three words, High Tolerance";
        case SearchKind::DrawerHeader:
            return "drawer, Header Only";
        case SearchKind::Everything:
            return "*";
    }
    return "";
}

std::string search_string(const Query& query) {
    if (query.kind == SearchKind::Everything) return "*";
    std::string text;
    for (const std::string& word : query.words)
        text += (text.empty() ? "" : " ") + word;
    return query.kind == SearchKind::Prefix ? text + "*" : text;
}

std::vector<Query> choose_queries(const std::vector<Document>& documents, std::size_t perKind) {
    std::vector<Query> out;
    if (documents.empty()) return out;
    std::unordered_map<std::string, std::uint32_t> frequency;  // documents per word
    for (const Document& document : documents) {
        const std::vector<std::string> words = plain_words(document.text, 1);
        for (const std::string& word : std::unordered_set<std::string>(words.begin(), words.end()))
            ++frequency[word];
    }
    const std::map<std::string, std::uint32_t> ordered(frequency.begin(), frequency.end());
    Sequence sequence(7);

    std::vector<std::string> rare;
    for (const auto& [word, count] : ordered) {
        if (count >= 2 && count <= 3 && word.size() >= 4) rare.push_back(word);
    }
    shuffle(rare, sequence);
    for (std::size_t i = 0; i < rare.size() && i < perKind; ++i)
        out.push_back(Query{SearchKind::RareWord, {rare[i]}, {}});

    std::vector<std::pair<std::uint32_t, std::string>> common;
    for (const auto& [word, count] : ordered)
        common.emplace_back(count, word);
    std::stable_sort(common.begin(), common.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; i < common.size() && i < 10; ++i)
        out.push_back(Query{SearchKind::CommonWord, {common[i].second}, {}});

    pick_queries(out, SearchKind::Prefix, documents.size(), perKind, sequence,
                 [&](std::size_t d, Query& query) {
                     const std::vector<std::string> words = plain_words(documents[d].text, 4);
                     if (words.empty()) return false;
                     query.words = {words[sequence.below(words.size())].substr(0, 3)};
                     return true;
                 });

    const std::uint32_t mostDocuments =
        std::max<std::uint32_t>(2, static_cast<std::uint32_t>(documents.size() / 10));
    const std::size_t threeStart = out.size();
    pick_queries(out, SearchKind::ThreeWords, documents.size(), perKind, sequence,
                 [&](std::size_t d, Query& query) {
                     std::vector<std::string> words;
                     for (std::string& word : plain_words(documents[d].text, 4)) {
                         const std::uint32_t count = frequency[word];
                         if (count >= 2 && count <= mostDocuments) words.push_back(word);
                     }
                     std::sort(words.begin(), words.end());
                     words.erase(std::unique(words.begin(), words.end()), words.end());
                     if (words.size() < 3) return false;
                     shuffle(words, sequence);
                     words.resize(3);
                     if (!distinct_starts(words)) return false;
                     query.words = words;
                     return true;
                 });
    const std::size_t threeEnd = out.size();
    for (std::size_t i = threeStart; i < threeEnd; ++i)
        out.push_back(Query{SearchKind::ThreeWordsTolerant, out[i].words, {}});

    pick_queries(out, SearchKind::DrawerHeader, documents.size(), perKind, sequence,
                 [&](std::size_t d, Query& query) {
                     std::vector<std::string> words;
                     std::istringstream head(documents[d].head);
                     for (std::string key; head >> key;) {
                         std::string word = plain_word(key, 4);
                         if (!word.empty()) words.push_back(word);
                     }
                     if (words.empty()) return false;
                     query.words = {words[sequence.below(words.size())]};
                     query.drawer = documents[d].drawer;
                     return true;
                 });

    out.push_back(Query{SearchKind::Everything, {}, {}});
    return out;
}

bool write_queries(const std::string& path, const std::vector<Query>& queries) {
    std::ofstream out(path);
    for (const Query& query : queries) {
        out << static_cast<int>(query.kind) << '\t' << query.drawer << '\t';
        for (std::size_t i = 0; i < query.words.size(); ++i)
            out << (i == 0 ? "" : " ") << query.words[i];
        out << '\n';
    }
    return static_cast<bool>(out);
}

std::vector<Query> read_queries(const std::string& path) {
    std::vector<Query> queries;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, drawer, words;
        if (!std::getline(fields, kind, '\t') || !std::getline(fields, drawer, '\t')) continue;
        std::getline(fields, words);
        Query query{static_cast<SearchKind>(std::atoi(kind.c_str())), {}, drawer};
        std::istringstream split(words);
        for (std::string word; split >> word;)
            query.words.push_back(word);
        queries.push_back(std::move(query));
    }
    return queries;
}

}  // namespace benchfts
