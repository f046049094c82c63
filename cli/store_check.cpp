// The store check: both tables, then keyword records without a document.
#include "cli/store_check.h"

#include <sys/stat.h>

#include <map>
#include <unordered_set>

#include "store/names.h"

namespace cli {

namespace {

constexpr std::size_t kExamples = 5;

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool present(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && info.st_size > 0;
}

// The trimmed text of a field of every record of the table.
std::vector<std::string> field_values(const std::string& path, const char* field) {
    std::vector<std::string> values;
    xbase::scanTable(path, [&](const xbase::RecordSource& record) {
        const int index = record.findField(field);
        values.push_back(index < 0 ? std::string() : trimmed(record.fieldBytes(index)));
    });
    return values;
}

std::optional<xbase::VerifyReport> check_table(const std::string& folder, const char* dataFile,
                                               const char* spareFile, StoreReport& report,
                                               const TableProgress& progress) {
    const std::string path = folder + dataFile;
    if (!present(path)) {
        report.notes.push_back(std::string(dataFile) + " is not there yet: the next start copies " +
                               spareFile);
        return std::nullopt;
    }
    return xbase::verifyTable(path, xbase::VerifyDepth::Records,
                              [&](std::uint64_t done, std::uint64_t total) {
                                  if (progress) progress(dataFile, done, total);
                              });
}

}  // namespace

bool StoreReport::sound() const {
    return problems.empty() && (!keys || keys->sound()) && (!text || text->sound());
}

StoreReport check_store(const std::string& folder, const TableProgress& progress) {
    StoreReport report;
    report.keys = check_table(folder, store::kKeysFile, "Keys.xx1", report, progress);
    report.text = check_table(folder, store::kTextFile, "Text.xx1", report, progress);
    if (report.keys && report.keys->tableReadable && report.text && report.text->tableReadable)
        report.problems = orphan_keyword_records(report.keys->table, report.text->table);
    return report;
}

std::vector<std::string> orphan_keyword_records(const std::string& keysPath,
                                                const std::string& textPath) {
    const std::vector<std::string> documents = field_values(textPath, store::kItemsField);
    const std::unordered_set<std::string> known(documents.begin(), documents.end());
    const std::vector<std::string> keywords = field_values(keysPath, store::kItemsField);

    struct Orphans {
        std::size_t count = 0;
        std::size_t firstRecord = 0;
    };
    std::map<std::string, Orphans> byDocument;
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        if (known.count(keywords[i]) != 0) continue;
        Orphans& orphans = byDocument[keywords[i]];
        if (orphans.count++ == 0) orphans.firstRecord = i + 1;
    }

    std::vector<std::string> problems;
    for (const auto& [document, orphans] : byDocument) {
        if (problems.size() == kExamples) break;
        problems.push_back(std::to_string(orphans.count) + " keyword record" +
                           (orphans.count == 1 ? "" : "s") + " (from record " +
                           std::to_string(orphans.firstRecord) + ") name document " +
                           (document.empty() ? std::string("(blank)") : document) +
                           ", which has no document record");
    }
    if (byDocument.size() > kExamples)
        problems.push_back(std::to_string(byDocument.size()) +
                           " documents in all are named by keyword records but have no record");
    return problems;
}

}  // namespace cli
