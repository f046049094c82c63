// The stage of the companion's stories: a fresh folder with a folder of real
// texts (the licence texts every Debian system carries) and an empty store
// folder, and the built vellumark-cli run on that store.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/run_program.h"
#include "tests/support/scripted_platform.h"

namespace clitest {

// The texts of the stories, in the order add stores them (by name). GPL-3 is
// longer than a document may be.
inline const std::vector<std::string> kRealTexts = {"Apache-2.0", "Artistic", "BSD",
                                                    "GPL-3",      "LGPL-2.1", "MPL-2.0"};
inline constexpr const char* kLicenceFolder = "/usr/share/common-licenses/";

class CompanionStory : public ::testing::Test {
  protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        for (const std::string& name : kRealTexts)
            if (!fs::is_regular_file(kLicenceFolder + name))
                GTEST_SKIP() << "no " << kLicenceFolder << name << " on this system";
        fs::create_directory(texts());
        for (const std::string& name : kRealTexts)
            fs::copy_file(kLicenceFolder + name, texts() + name);
    }

    std::string texts() const { return folder.file("texts/"); }
    std::string store() const { return folder.file("store/"); }

    // vellumark-cli --folder <store> arguments...
    Outcome cli(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--folder", store()});
        return run_program(VELLUMARK_CLI, arguments);
    }

    // Adds the real texts: documents 1 Apache-2.0, 2 Artistic, 3 BSD,
    // (4 consumed by the refused GPL-3), 5 LGPL-2.1, 6 MPL-2.0.
    void add_real_texts() {
        const Outcome added = cli({"add", texts()});
        ASSERT_EQ(added.status, 1) << added.err;  // GPL-3 is refused
        ASSERT_NE(added.out.find("Added 5 of 6 files: documents 1 to 6."), std::string::npos)
            << added.out;
    }

    testsupport::TempFolder folder;
};

// True when text holds piece.
inline bool holds(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

}  // namespace clitest
