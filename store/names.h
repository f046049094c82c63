// Names of the program's two tables, their fields and tags, and their files.
#pragma once

namespace store {

// Keyword table: one record per kept word of a document.
inline constexpr const char* kKeysFile = "Keys.dbf";
inline constexpr const char* kKeysField = "Keys";
inline constexpr const char* kItemsField = "Items";
inline constexpr const char* kOrderField = "Order";
inline constexpr const char* kFilterField = "Filter";

// Document table: one record per stored document.
inline constexpr const char* kTextFile = "Text.dbf";
inline constexpr const char* kTextField = "Text";
inline constexpr const char* kDateField = "Date";

// Tags: "Items" on both tables; "KeyItems" on Keys serves the search queries.
inline constexpr const char* kItemsTag = "Items";
inline constexpr const char* kKeyItemsTag = "KeyItems";

// The data files and the spare copy each is restored from, in restore order.
struct SpareCopy {
    const char* dataFile;
    const char* spareFile;
};
inline constexpr SpareCopy kSpareCopies[] = {
    {"Keys.dbf", "Keys.xx1"}, {"Text.dbf", "Text.xx1"}, {"Keys.cdx", "Keys.xx2"},
    {"Text.cdx", "Text.xx2"}, {"Text.fpt", "Text.xx3"},
};

}  // namespace store
