// Building the sample store and walking a table, for the fuzz targets.
#include "fuzz/sample_store.h"

#include <string>
#include <vector>

#include "fuzz/memory_file_system.h"
#include "xbase/d4.h"
#include "xbase/data4.h"

namespace fuzzing {
namespace {

constexpr const char* kWords[] = {"alpha", "Beta",  "gamma", "d\xE9lta", "epsilon", "zeta",
                                  "eta",   "Theta", "iota",  "kappa",    "lambda",  "mu"};

std::map<std::string, std::string> build(bool large) {
    MemoryFileSystem& fs = memoryFiles();
    fs.clear();
    xbase::Code4* code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    xbase::Data4* keys = xbase::d4create(
        code, "Keys.dbf",
        {{"KEYS", 'C', 10, 0}, {"ITEMS", 'N', 10, 0}, {"ORDER", 'N', 6, 0}, {"FILTER", 'C', 10, 0}},
        {{"KEYITEMS", "UPPER(KEYS)+STR(ITEMS)", "", false}, {"ITEMS", "ITEMS", "", false}});
    xbase::Data4* text = xbase::d4create(
        code, "Text.dbf", {{"ITEMS", 'N', 10, 0}, {"TEXT", 'M', 10, 0}, {"DATE", 'D', 8, 0}},
        {{"ITEMS", "ITEMS", "", false}});
    const int documents = large ? 20 : 6;
    const int words = large ? 40 : 5;
    for (int d = 1; d <= documents; ++d) {
        std::string body;
        for (int w = 0; w < words; ++w) {
            const char* word = kWords[(d * 7 + w * 3) % std::size(kWords)];
            xbase::d4appendStartVB(keys, 0);
            xbase::f4assignNVB(xbase::d4field(keys, "KEYS"), word,
                               static_cast<short>(std::char_traits<char>::length(word)));
            const std::string items = std::to_string(d), order = std::to_string(w + 1);
            xbase::f4assignNVB(xbase::d4field(keys, "ITEMS"), items.c_str(),
                               static_cast<short>(items.size()));
            xbase::f4assignNVB(xbase::d4field(keys, "ORDER"), order.c_str(),
                               static_cast<short>(order.size()));
            if (d % 3 == 0) xbase::f4assignNVB(xbase::d4field(keys, "FILTER"), "Letters", 7);
            xbase::d4append(keys);
            body += word;
            body += w % 9 == 8 ? "\r\n" : " ";
        }
        xbase::d4appendStartVB(text, 0);
        const std::string items = std::to_string(d);
        xbase::f4assignNVB(xbase::d4field(text, "ITEMS"), items.c_str(),
                           static_cast<short>(items.size()));
        xbase::f4memoAssign(xbase::d4field(text, "TEXT"), body.c_str());
        xbase::f4memoAssign(xbase::d4field(text, "DATE"), "20240315");
        xbase::d4append(text);
        if (d % 4 == 0) xbase::d4delete(text);
    }
    xbase::d4initUndo(code);
    std::map<std::string, std::string> files;
    for (const char* name : {"Keys.dbf", "Keys.cdx", "Text.dbf", "Text.cdx", "Text.fpt"}) {
        auto file = fs.open(name, xbase::OpenMode::ReadOnly);
        std::string bytes(static_cast<std::size_t>(file->size()), '\0');
        file->read(0, bytes.data(), bytes.size());
        files[name] = std::move(bytes);
    }
    fs.clear();
    return files;
}

}  // namespace

const std::map<std::string, std::string>& sample_store(bool large) {
    static const std::map<std::string, std::string> small = build(false);
    static const std::map<std::string, std::string> big = build(true);
    return large ? big : small;
}

void put_sample_store(bool large) {
    const auto& files = sample_store(large);
    MemoryFileSystem& fs = memoryFiles();
    fs.clear();
    for (const auto& [name, bytes] : files)
        fs.put(name, bytes);
}

namespace {

// Reads the current record of a table: touches every byte the engine hands
// out, so the sanitizers see a length that runs past its buffer. The fields
// are looked up by name once per walk: a lookup per record and field made the
// walks of the large store most of a run.
class RecordReader {
  public:
    explicit RecordReader(xbase::Data4* table) : table_(table) {
        const xbase::RecordSource& source = table->recordSource();
        for (int i = 0; i < source.fieldCount(); ++i)
            if (xbase::Field4* field = xbase::d4field(table, source.field(i).name.c_str()))
                fields_.push_back(field);
    }

    void operator()() const {
        unsigned sum = 0;
        for (xbase::Field4* field : fields_) {
            const char* bytes = xbase::f4ptr(field);
            const long length = xbase::f4len_v(field);
            for (long b = 0; b < length; ++b)
                sum += static_cast<unsigned char>(bytes[b]);
            const char* memo = xbase::f4memoPtr(field);
            const long memoLength = xbase::f4memoLenVB(field);
            for (long b = 0; b < memoLength; ++b)
                sum += static_cast<unsigned char>(memo[b]);
            sum += static_cast<unsigned>(xbase::f4long(field));
        }
        sum += static_cast<unsigned>(xbase::d4deleted(table_));
        volatile unsigned keep = sum;
        (void)keep;
    }

  private:
    xbase::Data4* table_;
    std::vector<xbase::Field4*> fields_;
};

}  // namespace

void walk_table(xbase::Data4* table) {
    const long count = xbase::d4recCountDo(table);
    const RecordReader readRecord(table);
    xbase::d4tagSelect(table, nullptr);
    for (short rc = xbase::d4top(table); rc == 0; rc = xbase::d4skip(table, 1))
        readRecord();
    for (short rc = xbase::d4bottom(table); rc == 0 && count < 5000; rc = xbase::d4skip(table, -1))
        readRecord();
    walk_tags(table);
}

void walk_tags(xbase::Data4* table) {
    const RecordReader readRecord(table);
    for (const xbase::Data4::TagRef& ref : table->tagRefs()) {
        xbase::Tag4* tag = xbase::d4tag(table, ref.tag->name().c_str());
        xbase::d4tagSelect(table, tag);
        long steps = 0;
        for (short rc = xbase::d4top(table); rc == 0 && steps < 20000;
             rc = xbase::d4skip(table, 1), ++steps)
            readRecord();
        for (const char* key : {"ALPHA", "3", "MU        4", "", "zzzz"})
            if (xbase::d4seek(table, key) >= 0) readRecord();
    }
    xbase::d4tagSelect(table, nullptr);
}

}  // namespace fuzzing
