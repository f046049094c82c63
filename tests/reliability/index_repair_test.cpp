// An index left by a flush cut short (its marker dirty) whose tag header
// already names a root that was never written: the table opens and rebuilds
// the tag instead of refusing the index. A kill between the two writes left
// exactly this in the crash harness's long run.
#include <gtest/gtest.h>

#include "tests/support/scripted_platform.h"
#include "tools/crash/store_check.h"
#include "xbase/d4.h"

namespace {

TEST(IndexRepair, ATagWhoseNewRootWasNeverWrittenIsRebuiltAtOpen) {
    testsupport::TempFolder folder;
    const std::string table = folder.file("t.dbf"), index = folder.file("t.cdx");
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

    // The tag's root: a page past the end (little-endian).
    const auto root = static_cast<std::uint32_t>(testsupport::read_file(index).size() + 512 * 4);
    const std::string rootBytes{static_cast<char>(root), static_cast<char>(root >> 8),
                                static_cast<char>(root >> 16), static_cast<char>(root >> 24)};
    testsupport::overwrite_file(index, 480 + 4, "\x01");  // the marker: a flush under way
    testsupport::overwrite_file(index, 1536, rootBytes);
    data = xbase::d4open(code, table.c_str());
    ASSERT_NE(data, nullptr) << xbase::code4errorCode(code, 0);
    EXPECT_EQ(reliability::check_table(data), std::vector<std::string>{});
    EXPECT_EQ(xbase::d4seek(data, "NAME42"), 0);
    xbase::d4initUndo(code);

    // The same damage in an index whose last flush finished is refused.
    code = xbase::d4init_v();
    xbase::code4errOff(code, 1);
    testsupport::overwrite_file(index, 1536, rootBytes);
    EXPECT_EQ(xbase::d4open(code, table.c_str()), nullptr);
    xbase::d4initUndo(code);
}

}  // namespace
