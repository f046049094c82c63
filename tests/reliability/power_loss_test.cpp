// Simulated power loss: the program stores, deletes and packs documents on a
// fault-injecting file system whose power goes at a random write; the writes
// since each file's last sync are then dropped or torn. The store must open,
// be sound, and hold every document whose Create Index had returned before
// the loss, unchanged and findable by each of its words.
#include <gtest/gtest.h>

#include <random>

#include "app/pack_database.h"
#include "browse/do_delete.h"
#include "tests/program/program_story.h"
#include "tests/support/faulty_file_system.h"
#include "tools/crash/documents.h"
#include "tools/crash/store_check.h"
#include "xbase/d4.h"

namespace {

using testsupport::FaultyFileSystem;

struct Stored {
    std::int32_t number;
    std::string text;
};

// One run of the program until the power goes: documents stored one after
// the other, every third one deleted again, and optionally a pack at the end.
class PowerLoss : public ::testing::Test {
  protected:
    // Runs the story with the power cut after `cutAfter` writes (-1: never);
    // gives the number of writes the story made.
    long long run(std::uint32_t seed, long long cutAfter, bool pack) {
        testsupport::ProgramStory& s = *story;
        if (!s.start()) return 0;
        xbase::code4flushSync(s.p().engine, 1);
        const long long before = fs.writeCount();
        fs.cutPowerAfter(cutAfter);
        for (std::uint32_t i = 0; i < kDocuments; ++i) {
            const std::string text = reliability::document_text(seed, i);
            s.index(text);
            if (fs.powerCut()) break;
            finished.push_back({*s.main().documentOnDisplay, text});
            if (i % 3 == 2) {
                browse::do_delete(s.p(), browse::kDeleteMode);
                if (!fs.powerCut()) deleted.push_back(finished.back().number);
            }
        }
        if (pack && !fs.powerCut()) {
            s.platform.dialogs.answers.push_back(platform::Answer::Yes);
            app::pack_database(s.p());
        }
        if (s.p().engine != nullptr) app::close_main_window(s.p());
        return fs.writeCount() - before;
    }

    // After the loss: the program starts, both tables are sound, and every
    // finished document is there (a deleted one may have been packed away).
    void expect_sound_store() {
        testsupport::ProgramStory& s = *story;
        ASSERT_TRUE(s.start()) << (s.platform.dialogs.boxes.empty()
                                       ? std::string("start-up failed")
                                       : s.platform.dialogs.boxes.back().text);
        EXPECT_EQ(reliability::check_table(s.p().keys), std::vector<std::string>{});
        EXPECT_EQ(reliability::check_table(s.p().text), std::vector<std::string>{});
        for (const Stored& doc : finished) {
            bool mayBeGone = std::count(deleted.begin(), deleted.end(), doc.number) != 0;
            if (mayBeGone && reliability::document_absent(s.p().text, doc.number)) continue;
            // A pack cut short between the two tables may have removed a
            // deleted document's keyword records and not yet its text.
            EXPECT_EQ(reliability::check_document(s.p().keys, s.p().text, doc.number, doc.text,
                                                  !mayBeGone),
                      std::vector<std::string>{});
        }
        std::vector<std::int32_t> numbers = reliability::document_numbers(s.p().text);
        EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()) &&
                    std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end())
            << "document numbers repeat or go backwards";
    }

    void trials(int count, bool pack) {
        // How many writes the whole story makes, to place the cuts over it.
        const long long writes = [&] {
            story = std::make_unique<testsupport::ProgramStory>();
            return run(1, -1, pack);
        }();
        ASSERT_GT(writes, 20);
        std::mt19937 random(20240315);
        for (int trial = 0; trial < count; ++trial) {
            SCOPED_TRACE("trial " + std::to_string(trial));
            story = std::make_unique<testsupport::ProgramStory>();
            finished.clear();
            deleted.clear();
            const long long cut = std::uniform_int_distribution<long long>(0, writes)(random);
            run(static_cast<std::uint32_t>(trial + 7), cut, pack);
            fs.settleAfterPowerLoss(trial % 2 == 0 ? FaultyFileSystem::Loss::DropUnsynced
                                                   : FaultyFileSystem::Loss::TearUnsynced,
                                    random);
            expect_sound_store();
            if (HasFailure()) return;
        }
    }

    static constexpr std::uint32_t kDocuments = 6;
    FaultyFileSystem fs;
    std::unique_ptr<testsupport::ProgramStory> story;
    std::vector<Stored> finished;
    std::vector<std::int32_t> deleted;
};

TEST_F(PowerLoss, WhileStoringAndDeletingDocuments) {
    trials(60, false);
}

TEST_F(PowerLoss, WhilePacking) {
    trials(30, true);
}

}  // namespace
