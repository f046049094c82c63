// Fuzz target: a table file (DBF) opened and walked by the engine. The
// program's memo file and index stand beside it, so a header that names a
// memo file or a production index finds sound ones.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/memory_file_system.h"
#include "fuzz/sample_store.h"
#include "xbase/d4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::put_sample_store(false);
    fuzzing::memoryFiles().put("Text.dbf", std::string(reinterpret_cast<const char*>(data), size));
    xbase::Code4* code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    if (xbase::Data4* table = xbase::d4open(code, "Text.dbf")) fuzzing::walk_table(table);
    xbase::d4initUndo(code);
    return 0;
}
