// The settings file: Windows profile reading and writing semantics.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/local_file_system.h"
#include "tests/support/scripted_platform.h"

namespace {

using platform::profileLookup;
using platform::profileUpdate;

std::string lookup(std::string_view text, std::string_view key, std::size_t size = 100,
                   std::string_view def = "DEF") {
    return profileLookup(text, "Setup", key, def, size);
}

TEST(ProfileLookup, NamesMatchWithoutCaseInTheirSectionAndValuesAreTrimmed) {
    const std::string text = "[setup]\r\n  FONTSIZE =  14  \r\nHeaderSize\t=\t30\r\n";
    EXPECT_EQ(lookup(text, "Fontsize"), "14");
    EXPECT_EQ(lookup(text, "fontsize"), "14");
    EXPECT_EQ(lookup(text, "headersize"), "30");
    EXPECT_EQ(profileLookup(text, "SETUP", "FontSize", "", 100), "14");
    EXPECT_EQ(profileLookup(text, "Other", "FontSize", "11", 100), "11");
    // Sections, comments and stray lines.
    const std::string sections =
        "Fontsize=1\n"  // before any section: in none
        "[Other]\nFontsize=2\n"
        "[ Setup ] trailing words\n;Fontsize=3\n[broken\nFontsize=4\n"
        "[Setup]\nHeaderSize=5\n";
    EXPECT_EQ(lookup(sections, "Fontsize"), "4");    // "[broken" is no header, so still in Setup
    EXPECT_EQ(lookup(sections, "HeaderSize"), "5");  // a repeated section is searched too
    EXPECT_EQ(lookup(sections, ";Fontsize"), "DEF");
}

TEST(ProfileLookup, BufferSizeCutsValueAndDefaultAMissingKeyGivesTheDefault) {
    const std::string text = "[Setup]\nDrawer 3=Letters1999\nHeaderSize=123456\n";
    EXPECT_EQ(lookup(text, "Drawer 3", 7), "Letter");
    EXPECT_EQ(lookup(text, "HeaderSize", 5), "1234");
    EXPECT_EQ(lookup(text, "Missing", 3, "NONE"), "NO");
    EXPECT_EQ(lookup(text, "HeaderSize", 1), "");
    EXPECT_EQ(lookup(text, "HeaderSize", 0), "");
    // A missing key gives the default, but an empty value is kept.
    const std::string empty = "[Setup]\nDrawer 1=\nDrawer 2\n";
    EXPECT_EQ(lookup(empty, "Drawer 1", 7, "NONE"), "");
    EXPECT_EQ(lookup(empty, "Drawer 2", 7, "NONE"), "NONE");  // no '=': not an entry
    EXPECT_EQ(lookup(empty, "Drawer 9", 7, "NONE"), "NONE");
    EXPECT_EQ(lookup("", "Drawer 1", 7, "NONE  "), "NONE");  // trailing blanks of a default go
}

TEST(ProfileLookup, QuotesAreRemovedOnlyWhenTheyMatch) {
    const std::string text =
        "[Setup]\na=\"quoted value\"\nb='single'\nc=\"mixed'\nd=\"\ne=\"\"\nf= \" padded \" \n";
    const std::pair<const char*, const char*> cases[] = {
        {"a", "quoted value"}, {"b", "single"}, {"c", "\"mixed'"},
        {"d", "\""},           {"e", ""},       {"f", " padded "}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(lookup(text, key), value) << key;
    EXPECT_EQ(lookup(text, "a", 4), "quo");  // the cut applies to the unquoted value
}

TEST(ProfileLookup, GarbageNulAndHugeLinesNeverBreakIt) {
    std::string text = "\xEF\xBB\xBF[Setup]\nKey=ab";
    text += '\0';
    text += "cd\n";
    text += std::string(1 << 20, 'x') + "=y\n";
    text += std::string(3000, '[') + "\n=\n==\n]\n\r\r\r\n";
    text += "Long=" + std::string(100000, 'v') + "\n";
    for (int c = 0; c < 256; ++c)
        text += static_cast<char>(c);
    EXPECT_EQ(lookup(text, "Key"), "ab");  // the value ends at the NUL byte
    EXPECT_EQ(lookup(text, "Long", 5), "vvvv");
    EXPECT_EQ(lookup(text, "Nothing"), "DEF");
    EXPECT_TRUE(profileUpdate(text, "Setup", "Key", "z").has_value());
}

// An existing key's line alone is rewritten; a new key goes at the end of its
// section, a new section at the end of the file, in the file's line end.
TEST(ProfileUpdate, RewritesTheKeysLineOrAddsKeyOrSection) {
    const std::string text =
        "; settings\r\n[Setup]\r\nFontsize = 11 ; old\r\nDrawer 1=NONE\r\n\r\n[Other]\r\nx=1";
    EXPECT_EQ(*profileUpdate(text, "SETUP", "FontSize", "14"),
              "; settings\r\n[Setup]\r\nFontsize=14\r\nDrawer 1=NONE\r\n\r\n[Other]\r\nx=1");
    EXPECT_EQ(
        *profileUpdate("[Setup]\nDrawer 1=A\n; note\n\n[Other]\nx=1\n", "setup", "Drawer 2", "B"),
        "[Setup]\nDrawer 1=A\n; note\nDrawer 2=B\n\n[Other]\nx=1\n");
    EXPECT_EQ(*profileUpdate("[Setup]", "Setup", "a", "1"), "[Setup]\na=1\n");
    EXPECT_EQ(*profileUpdate("", "Setup", "FontSize", "9"), "[Setup]\nFontSize=9\n");
    EXPECT_EQ(*profileUpdate("[Other]\r\nx=1", "Setup", "a", "b"),
              "[Other]\r\nx=1\r\n\r\n[Setup]\r\na=b\r\n");
    EXPECT_EQ(*profileUpdate("[Other]\nx=1\n\n", "Setup", "a", "b"),
              "[Other]\nx=1\n\n[Setup]\na=b\n");
}

TEST(ProfileUpdate, RefusesNamesThatCouldNotBeReadBackAndCleansValues) {
    for (const char* key : {"", "a=b", " a", ";a"})
        EXPECT_FALSE(profileUpdate("", "Setup", key, "v")) << key;
    for (const char* section : {"Se]tup", "Setup\n[X]"})
        EXPECT_FALSE(profileUpdate("", section, "a", "v")) << section;
    // A line break in a value cannot smuggle in a section or key.
    std::string text = *profileUpdate("", "Setup", "Drawer 1", "A\r\n[Setup]\r\nDrawer 2=evil");
    EXPECT_EQ(lookup(text, "Drawer 2"), "DEF");
    EXPECT_EQ(lookup(text, "Drawer 1"), "A  [Setup]  Drawer 2=evil");
}

TEST(ProfileFile, WriteCreatesTheFileAndReadsBackUnusablePlacesFailWithoutHarm) {
    testsupport::TempFolder folder;
    const std::string path = folder.file("vellumark.ini");
    EXPECT_EQ(platform::readProfileString("Setup", "Fontsize", "11", 5, path), "11");
    ASSERT_TRUE(platform::writeProfileString("Setup", "FontSize", "14", path));
    ASSERT_TRUE(platform::writeProfileString("Setup", "Drawer 1", "Mail", path));
    ASSERT_TRUE(platform::writeProfileString("Setup", "fontsize", "16", path));
    EXPECT_EQ(platform::readProfileString("setup", "FONTSIZE", "11", 5, path), "16");
    platform::LocalFileSystem files;
    EXPECT_EQ(files.readFile(path).bytes, "[Setup]\nFontSize=16\nDrawer 1=Mail\n");

    // Unwritable or unreadable places fail without harm.
    EXPECT_FALSE(platform::writeProfileString("Setup", "a", "b", folder.file("no/such/x.ini")));
    // A folder in place of the file: it reads as missing and cannot be written.
    EXPECT_EQ(platform::readProfileString("Setup", "a", "d", 10, folder.path()), "d");
    EXPECT_FALSE(platform::writeProfileString("Setup", "a", "b", folder.path()));
}

}  // namespace
