// An index left by a flush cut short (its marker dirty) whose tag header
// already names a root that was never written: the table opens and rebuilds
// the tag instead of refusing the index. A kill between the two writes left
// exactly this in the crash harness's long run.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/reliability/store_check.h"
#include "tests/support/scripted_platform.h"
#include "xbase/d4.h"

namespace {

void patch_le32(const std::string& path, std::streamoff at, std::uint32_t value) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(at);
    for (int i = 0; i < 4; ++i)
        file.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void patch_byte(const std::string& path, std::streamoff at, char value) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(at);
    file.put(value);
}

TEST(IndexRepair, ATagWhoseNewRootWasNeverWrittenIsRebuiltAtOpen) {
    testsupport::TempFolder folder;
    const std::string table = folder.file("t.dbf");
    xbase::Code4* code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    xbase::Data4* data = xbase::d4create(code, table.c_str(), {{"NAME", 'C', 10, 0}},
                                         {{"NAME", "UPPER(NAME)", "", false}});
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 500; ++i) {
        const std::string name = "name" + std::to_string(i * 7919 % 500);
        xbase::d4appendStartVB(data, 0);
        xbase::f4assignNVB(xbase::d4field(data, "NAME"), name.c_str(),
                           static_cast<short>(name.size()));
        xbase::d4append(data);
    }
    xbase::d4close(data);

    const std::string index = folder.file("t.cdx");
    const auto size = static_cast<std::uint32_t>(std::ifstream(index, std::ios::ate).tellg());
    patch_byte(index, 480 + 4, 1);            // the marker: a flush under way
    patch_le32(index, 1536, size + 512 * 4);  // the tag's root: a page past the end
    data = xbase::d4open(code, table.c_str());
    ASSERT_NE(data, nullptr) << xbase::code4errorCode(code, 0);
    EXPECT_EQ(reliability::check_table(data), std::vector<std::string>{});
    EXPECT_EQ(xbase::d4seek(data, "NAME42"), 0);
    xbase::d4initUndo(code);

    // The same damage in an index whose last flush finished is refused.
    code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    patch_le32(index, 1536, size + 512 * 4);
    EXPECT_EQ(xbase::d4open(code, table.c_str()), nullptr);
    xbase::d4initUndo(code);
}

}  // namespace
