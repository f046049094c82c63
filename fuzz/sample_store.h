// The program's two tables as the fuzz targets start from: built once in the
// memory file system through the engine, with a few documents (and, when
// large, enough keyword records for interior index pages), then kept as
// bytes so each run can put damaged copies beside sound ones.
#pragma once

#include <map>
#include <string>

namespace xbase {
class Data4;
}

namespace fuzzing {

// The five files by name ("Keys.dbf", "Keys.cdx", "Text.dbf", "Text.cdx",
// "Text.fpt"); built on first use.
const std::map<std::string, std::string>& sample_store(bool large);

// Puts the sample store's files in the memory file system (an emptied one).
void put_sample_store(bool large);

// Reads everything of an open table: every record and field in record order
// and backwards, memos included, then every tag forwards with a few seeks.
void walk_table(xbase::Data4* table);

// The tag part of walk_table: every tag forwards, every record read, with a
// few seeks. For a damaged index beside a sound table.
void walk_tags(xbase::Data4* table);

}  // namespace fuzzing
