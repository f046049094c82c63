// mkdb: writes the installed empty tables of the program, Keys and Text with
// their production indexes, as the spare copies the program restores its
// data files from ("Keys.xx1" = Keys.dbf, "Keys.xx2" = Keys.cdx, "Text.xx1" =
// Text.dbf, "Text.xx2" = Text.cdx, "Text.xx3" = Text.fpt).
//
//   mkdb DIR            the five spare copies in DIR
//   mkdb DIR --tables   the data files in DIR as well
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "xbase/d4.h"

namespace {

namespace fs = std::filesystem;

bool writeTables(xbase::Code4* code, const fs::path& dir) {
    xbase::Data4* keys = xbase::d4create(
        code, (dir / "Keys.dbf").c_str(),
        {{"KEYS", 'C', 10, 0}, {"ITEMS", 'N', 10, 0}, {"ORDER", 'N', 6, 0}, {"FILTER", 'C', 10, 0}},
        {{"KEYITEMS", "UPPER(KEYS)+STR(ITEMS)", "", false}, {"ITEMS", "ITEMS", "", false}});
    xbase::Data4* text =
        xbase::d4create(code, (dir / "Text.dbf").c_str(),
                        {{"ITEMS", 'N', 10, 0}, {"TEXT", 'M', 10, 0}, {"DATE", 'D', 8, 0}},
                        {{"ITEMS", "ITEMS", "", false}});
    bool ok = keys && text;
    if (keys) ok = xbase::d4close(keys) == 0 && ok;
    if (text) ok = xbase::d4close(text) == 0 && ok;
    return ok;
}

bool copySpares(const fs::path& from, const fs::path& to) {
    const std::vector<std::pair<const char*, const char*>> spares = {{"Keys.dbf", "Keys.xx1"},
                                                                     {"Keys.cdx", "Keys.xx2"},
                                                                     {"Text.dbf", "Text.xx1"},
                                                                     {"Text.cdx", "Text.xx2"},
                                                                     {"Text.fpt", "Text.xx3"}};
    for (const auto& [data, spare] : spares) {
        std::error_code ec;
        fs::copy_file(from / data, to / spare, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            std::fprintf(stderr, "mkdb: cannot write %s: %s\n", (to / spare).c_str(),
                         ec.message().c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--tables")) {
        std::fprintf(stderr, "usage: mkdb DIR [--tables]\n");
        return 2;
    }
    const fs::path dir = argv[1];
    const bool tables = argc == 3;
    std::error_code ec;
    fs::create_directories(dir, ec);
    fs::path work = dir;
    if (!tables) {  // the tables go to a scratch folder; only their copies stay
        std::string pattern = (fs::temp_directory_path(ec) / "mkdb-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::fprintf(stderr, "mkdb: cannot make a scratch folder\n");
            return 1;
        }
        work = pattern;
    }
    xbase::Code4* code = xbase::d4init_v();
    if (code)
        xbase::code4errorCallback(code, [](short rc, const std::string& text) {
            std::fprintf(stderr, "mkdb: %s (%d)\n", text.c_str(), rc);
        });
    bool ok = code && writeTables(code, work) && copySpares(work, dir);
    if (code) xbase::d4initUndo(code);
    if (!tables) fs::remove_all(work, ec);
    if (!ok) {
        std::fprintf(stderr, "mkdb: cannot write the tables in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
