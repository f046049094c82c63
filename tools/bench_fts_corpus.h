// The full-text benchmark's corpus: documents from Debian's dictionary and
// kernel documentation packages in one fixed order, the work file the phases
// stream them from, and the search strings chosen from them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace benchfts {

// Where the Debian packages put the corpus.
struct CorpusSources {
    std::string gcideDict = "/usr/share/dictd/gcide.dict.dz";
    std::string gcideIndex = "/usr/share/dictd/gcide.index";
    std::string linuxDocs = "/usr/share/doc/linux-doc-6.1/html/_sources";
};

// The drawers documents are filed in, by source.
inline constexpr const char* kDictionaryDrawer = "Dictionary";
inline constexpr const char* kKernelDrawer = "Kernel";

// Keys with a position below this are a document's header (the program's
// default header size, which Search Header Only compares against).
inline constexpr int kHeaderSize = 25;

struct Document {
    std::string drawer;
    std::string text;  // cp1252 with CR LF, 10 to 32766 characters
    // The document's header: its keys at positions below kHeaderSize, trimmed
    // and joined by blanks (what SQLite's head column holds).
    std::string head;
    std::uint32_t keywords = 0;  // the keyword records Create Index writes
};

// Every distinct dictionary entry and every English kernel document (those
// over 32766 characters cut into parts at line ends), put into one fixed
// pseudo-random order; the first count of them, or all for 0. Empty with
// error set when a source cannot be read.
std::vector<Document> read_corpus(const CorpusSources& sources, std::size_t count,
                                  std::string& error);

bool write_documents(const std::string& path, const std::vector<Document>& documents);

// Streams the documents write_documents wrote, in their order.
class DocumentFile {
  public:
    explicit DocumentFile(const std::string& path);
    ~DocumentFile();
    DocumentFile(const DocumentFile&) = delete;
    DocumentFile& operator=(const DocumentFile&) = delete;

    bool is_open() const { return file_ != nullptr; }
    // The next document; false at the end or on a damaged file.
    bool next(Document& document);

  private:
    std::FILE* file_;
};

enum class SearchKind {
    RareWord,
    CommonWord,
    Prefix,
    ThreeWords,
    ThreeWordsTolerant,
    DrawerHeader,
    Everything,
};
inline constexpr SearchKind kSearchKinds[] = {
    SearchKind::RareWord,   SearchKind::CommonWord,         SearchKind::Prefix,
    SearchKind::ThreeWords, SearchKind::ThreeWordsTolerant, SearchKind::DrawerHeader,
    SearchKind::Everything,
};
const char* kind_name(SearchKind kind);

// One search: lower-case ASCII words (all required; one may be missing with
// the tolerant kind), a prefix for SearchKind::Prefix, the drawer and the
// header only for SearchKind::DrawerHeader, every document for Everything.
struct Query {
    SearchKind kind = SearchKind::Everything;
    std::vector<std::string> words;
    std::string drawer;
};

// The program's search string: the words with blanks, a prefix with "*",
// "*" for every document.
std::string search_string(const Query& query);

// Up to perKind queries of each kind whose words occur in documents: rare
// words (in two or three documents), the ten most common words, three-letter
// prefixes of words as they occur, three words of one document, a word of
// one document's header with its drawer, and "*".
std::vector<Query> choose_queries(const std::vector<Document>& documents, std::size_t perKind);

bool write_queries(const std::string& path, const std::vector<Query>& queries);
std::vector<Query> read_queries(const std::string& path);

}  // namespace benchfts
