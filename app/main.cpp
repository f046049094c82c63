// Program entry. Until the desktop window exists, it shows what the program
// folder holds: the program, its spare copies and, after a start, its tables.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    fs::path folder = fs::absolute(fs::path(argv[0])).parent_path();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--folder") folder = fs::absolute(argv[i + 1]);
    }
    std::error_code ec;
    std::vector<std::pair<std::string, std::uintmax_t>> entries;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec)) {
            entries.emplace_back(entry.path().filename().string(), entry.file_size(ec));
        }
    }
    std::sort(entries.begin(), entries.end());
    std::printf("Vellumark program folder %s\n", folder.string().c_str());
    for (const auto& [name, size] : entries) {
        std::printf("  %-20s %10ju bytes\n", name.c_str(), size);
    }
    return ec ? 1 : 0;
}
