// Soundness checks of a store after a crash, a power loss or damage: every
// tag against the records it indexes, and each document against what was
// stored (its text, and a keyword record for each kept word).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xbase {
class Data4;
}

namespace reliability {

// Problems of an open table, empty when it is sound: a tag that cannot be
// walked, whose entries are out of order, or that does not hold exactly the
// keys its expressions give for the table's records (FOR clauses respected).
std::vector<std::string> check_table(xbase::Data4* table);

// The Items of every document record, in record order.
std::vector<std::int32_t> document_numbers(xbase::Data4* text);

// Problems of one document, empty when it is there: a document record with
// this number whose text is exactly `expected`, and (with words) a keyword
// record found through the KeyItems tag for each word Create Index keeps.
std::vector<std::string> check_document(xbase::Data4* keys, xbase::Data4* text, std::int32_t number,
                                        const std::string& expected, bool words = true);

// True when no document record carries this number.
bool document_absent(xbase::Data4* text, std::int32_t number);

}  // namespace reliability
