// Verification of one table with its memo file and production index, read
// only: the header against the file's size, every memo pointer against the
// memo file, and every tag's entries against a fresh evaluation of the tag's
// key and FOR expressions over every record. Also a plain scan of a table's
// records for checks of a program's own (which records refer to which).
//
// Nothing here writes: a table whose index does not match is reported, not
// repaired (opening it with d4open would repair it).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xbase/expr.h"

namespace xbase {

struct VerifyReport {
    std::string table;                  // the table's path
    std::uint32_t records = 0;          // records the header names
    std::string memoFile;               // path of the memo file; empty when none
    std::string indexFile;              // path of the production index; empty when none
    std::vector<std::string> tags;      // the tags checked, by name
    std::vector<std::string> problems;  // damage found; empty when the table is sound
    std::vector<std::string> notes;     // what is odd but does no harm
    bool tableReadable = false;         // header and field descriptors are sound
    bool indexReadable = true;          // false: the index is missing or cannot be read

    bool sound() const { return problems.empty(); }
};

// Reports the work done so far out of the whole (records read plus index
// entries walked); called often, so it should be cheap.
using VerifyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

enum class VerifyDepth {
    Files,   // header, field descriptors, the memo file's header, the index opens
    Records  // also every memo pointer and every tag entry
};

// Verifies the table at dbfPath (".dbf" is not added) and what belongs to it.
// At most a few examples of each kind of damage are listed, with a count.
VerifyReport verifyTable(const std::string& dbfPath, VerifyDepth depth = VerifyDepth::Records,
                         const VerifyProgress& progress = {});

// Calls visit with every record of the table at dbfPath in record order (the
// memo file is read for memo fields). 0, or the code of a table that cannot
// be opened or read; records read before a read failure have been visited.
short scanTable(const std::string& dbfPath, const std::function<void(const RecordSource&)>& visit);

}  // namespace xbase
