// Fuzz target: a compound index (CDX) walked on its own, read-only, and then
// as the production index of the program's keyword table (which may repair
// it), with keyword records added and the tags walked and searched.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/memory_file_system.h"
#include "fuzz/sample_store.h"
#include "xbase/cdx_index.h"
#include "xbase/d4.h"
#include "xbase/relate4.h"

namespace {

void walk_read_only() {
    short error = 0;
    std::unique_ptr<xbase::CdxFile> cdx =
        xbase::CdxFile::open("Keys.cdx", xbase::OpenMode::ReadOnly, error);
    if (!cdx) return;
    for (xbase::CdxTag* tag : cdx->tags()) {
        tag->setFiller(tag->keyLength() == 8 ? '\0' : ' ');
        xbase::CdxCursor cursor(*tag);
        int steps = 0;
        for (bool more = cursor.first(); more && steps < 20000; more = cursor.next(), ++steps) {
            volatile std::size_t length = cursor.key().size() + cursor.recNo();
            (void)length;
        }
        for (bool more = cursor.last(); more && steps < 40000; more = cursor.prev(), ++steps) {
        }
        cursor.seekGE("GAMMA");
        cursor.seekEntry(std::string(static_cast<std::size_t>(tag->keyLength()), 'A'), 3);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::put_sample_store(size > 4096);
    fuzzing::memoryFiles().put("Keys.cdx", std::string(reinterpret_cast<const char*>(data), size));
    walk_read_only();
    xbase::Code4* code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    if (xbase::Data4* keys = xbase::d4open(code, "Keys.dbf")) {
        fuzzing::walk_tags(keys);
        for (int i = 0; i < 3; ++i) {
            xbase::d4appendStartVB(keys, 0);
            xbase::f4assignNVB(xbase::d4field(keys, "KEYS"), "omega", 5);
            xbase::f4assignNVB(xbase::d4field(keys, "ITEMS"), "77", 2);
            xbase::d4append(keys);
        }
        xbase::Relate4* relation = xbase::relate4init(keys);
        xbase::relate4querySet(relation, "UPPER(KEYS)+STR(ITEMS) = 'GAMMA'");
        xbase::relate4sortSet(relation, "ITEMS");
        for (short rc = xbase::relate4top(relation); rc == 0;
             rc = xbase::relate4skip(relation, 1)) {
        }
        xbase::relate4freeVB(relation, 0);
        xbase::d4flush(keys);
    }
    xbase::d4initUndo(code);
    return 0;
}
