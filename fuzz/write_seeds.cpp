// Writes the table seeds of the fuzz corpora: the sample store's files (small
// and large) made by the engine itself. Run once when the file formats
// change: write_seeds DIR puts them under DIR/<target>/.
#include <filesystem>
#include <fstream>

#include "fuzz/sample_store.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    namespace fs = std::filesystem;
    const fs::path corpus = argv[1];
    auto write = [&](const char* target, const std::string& name, const std::string& bytes) {
        fs::create_directories(corpus / target);
        std::ofstream(corpus / target / name, std::ios::binary) << bytes;
    };
    for (bool large : {false, true}) {
        const auto& files = fuzzing::sample_store(large);
        const std::string size = large ? "large-" : "small-";
        write("dbf", size + "text.dbf", files.at("Text.dbf"));
        write("dbf", size + "keys.dbf", files.at("Keys.dbf"));
        write("fpt", size + "text.fpt", files.at("Text.fpt"));
        write("cdx", size + "keys.cdx", files.at("Keys.cdx"));
        write("cdx", size + "text.cdx", files.at("Text.cdx"));
    }
    return 0;
}
