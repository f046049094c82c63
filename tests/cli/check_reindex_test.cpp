// The integrity check and the rebuild end to end: a sound store, an index
// with a damaged page, an index that cannot be read, and keyword records
// whose document is gone.
#include "store/bindings.h"
#include "tests/cli/companion_story.h"
#include "xbase/d4.h"

namespace clitest {
namespace {

constexpr std::size_t kPage = 512;

using testsupport::overwrite_file;

TEST_F(CompanionStory, CheckFindsADamagedIndexPageAndReindexRepairsIt) {
    add_real_texts();
    const Outcome sound = cli({"check"});
    EXPECT_EQ(sound.status, 0) << sound.out;
    EXPECT_TRUE(holds(sound.out, "Keys.dbf: ")) << sound.out;
    EXPECT_TRUE(holds(sound.out, "records, tags KEYITEMS, ITEMS: sound"));
    EXPECT_TRUE(holds(sound.out, "Text.dbf: 5 records, memo file Text.fpt, tag ITEMS: sound"));
    EXPECT_TRUE(holds(sound.out, "Keyword records: each belongs to a document"));
    EXPECT_TRUE(holds(sound.out, "The store is sound."));
    const std::string before = cli({"search", "licens*"}).out;

    // A page of the keyword index in the middle of the file turns to zeros:
    // the table still opens, but the search misses what the page held.
    const std::string index = store() + "Keys.cdx";
    overwrite_file(index, std::filesystem::file_size(index) / kPage / 2 * kPage,
                   std::string(kPage, '\0'));
    const Outcome damaged = cli({"check"});
    EXPECT_EQ(damaged.status, 3) << damaged.out;
    EXPECT_TRUE(holds(damaged.out, "damaged: tag KEYITEMS: ")) << damaged.out;
    EXPECT_TRUE(holds(damaged.out, "Text.dbf: 5 records, memo file Text.fpt, tag ITEMS: sound"));
    EXPECT_TRUE(holds(damaged.out, "The store is damaged."));

    const Outcome rebuilt = cli({"reindex"});
    EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
    EXPECT_TRUE(holds(rebuilt.out, "Rebuilt the indexes of Keys.dbf and Text.dbf."));
    EXPECT_EQ(cli({"check"}).status, 0);
    EXPECT_EQ(cli({"search", "licens*"}).out, before);
}

TEST_F(CompanionStory, ReindexPutsAsideAnIndexThatCannotBeReadAndBuildsItAnew) {
    add_real_texts();
    const std::string before = cli({"search", "Regents"}).out;
    overwrite_file(store() + "Keys.cdx", 0, std::string(kPage, 'x'));

    const Outcome damaged = cli({"check"});
    EXPECT_EQ(damaged.status, 3);
    EXPECT_TRUE(holds(damaged.out, "damaged: the index Keys.cdx cannot be read")) << damaged.out;
    const Outcome rebuilt = cli({"reindex"});
    EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
    EXPECT_TRUE(holds(rebuilt.err,
                      "Keys.cdx: the index could not be read; it is kept as "
                      "Keys.cdx.damaged"));
    EXPECT_TRUE(std::filesystem::exists(store() + "Keys.cdx.damaged"));
    EXPECT_EQ(cli({"check"}).status, 0);
    EXPECT_EQ(cli({"search", "Regents"}).out, before);
}

TEST_F(CompanionStory, ReindexRefusesATableWhoseHeaderIsDamaged) {
    add_real_texts();
    overwrite_file(store() + "Text.dbf", 4, std::string("\xff\xff\x00\x00", 4));  // 65535 records
    const Outcome damaged = cli({"check"});
    EXPECT_EQ(damaged.status, 3);
    EXPECT_TRUE(
        holds(damaged.out, "damaged: the header names 65535 records, but the file holds only 5"))
        << damaged.out;
    const Outcome refused = cli({"reindex"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_TRUE(holds(refused.err, "Text.dbf: the table itself is damaged")) << refused.err;
}

TEST_F(CompanionStory, CheckReportsKeywordRecordsWhoseDocumentHasNoRecord) {
    add_real_texts();
    {  // Keyword records of a document whose own record was never written.
        xbase::Code4* engine = xbase::d4init_v();
        xbase::Data4* keys = xbase::d4open(engine, (store() + "Keys.dbf").c_str());
        ASSERT_NE(keys, nullptr);
        for (const char* word : {"orphan ", "words "}) {
            ASSERT_EQ(xbase::d4appendStartVB(keys, 0), 0);
            store::assign_text(xbase::d4field(keys, "Keys"), word);
            store::assign_text(xbase::d4field(keys, "Items"), "99");
            store::assign_text(xbase::d4field(keys, "Order"), "1");
            ASSERT_EQ(xbase::d4append(keys), 0);
        }
        xbase::d4initUndo(engine);
    }
    const Outcome found = cli({"check"});
    EXPECT_EQ(found.status, 3);
    EXPECT_TRUE(holds(found.out, "records, tags KEYITEMS, ITEMS: sound")) << found.out;
    EXPECT_TRUE(holds(found.out, "damaged: 2 keyword records (from record ")) << found.out;
    EXPECT_TRUE(holds(found.out, ") name document 99, which has no document record"));
}

}  // namespace
}  // namespace clitest
