// The integrity check of a program folder's store, apart from the window:
// both tables verified with their memo file and indexes (xbase/verify.h),
// and the program's own rule that every keyword record belongs to a
// document record. Read only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "xbase/verify.h"

namespace cli {

struct StoreReport {
    // Absent when the data file is not there yet (or empty): the next start
    // restores it from its spare copy, so there is nothing to check.
    std::optional<xbase::VerifyReport> keys;
    std::optional<xbase::VerifyReport> text;
    std::vector<std::string> problems;  // of the program's rule
    std::vector<std::string> notes;

    bool sound() const;
};

// Checks the store in folder (with a trailing separator). progress is told
// which table it is working on and how far it is.
using TableProgress =
    std::function<void(const std::string& table, std::uint64_t done, std::uint64_t total)>;
StoreReport check_store(const std::string& folder, const TableProgress& progress = {});

// Problems for keyword records whose document number no document record of
// the Text table carries, grouped by document number (a few listed, then the
// count).
std::vector<std::string> orphan_keyword_records(const std::string& keysPath,
                                                const std::string& textPath);

}  // namespace cli
