// Fuzz target: a memo file (FPT) under the program's document table: every
// memo is read, then a new document is stored and flushed beside them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/memory_file_system.h"
#include "fuzz/sample_store.h"
#include "xbase/d4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::put_sample_store(false);
    fuzzing::memoryFiles().put("Text.fpt", std::string(reinterpret_cast<const char*>(data), size));
    xbase::Code4* code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    if (xbase::Data4* table = xbase::d4open(code, "Text.dbf")) {
        fuzzing::walk_table(table);
        xbase::d4appendStartVB(table, 0);
        xbase::f4assignNVB(xbase::d4field(table, "ITEMS"), "99", 2);
        xbase::f4memoAssign(xbase::d4field(table, "TEXT"), "A new document after the others.");
        xbase::d4append(table);
        xbase::d4flush(table);
        xbase::d4bottom(table);
        xbase::f4memoLenVB(xbase::d4field(table, "TEXT"));
    }
    xbase::d4initUndo(code);
    return 0;
}
