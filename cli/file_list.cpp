// Collecting the files of an add command.
#include "cli/file_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace cli {

namespace {

namespace fs = std::filesystem;

bool hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

std::vector<std::string> folder_files(const fs::path& folder, bool recursive) {
    std::vector<std::string> files;
    std::error_code error;
    auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end;
         it.increment(error)) {
        if (hidden(it->path())) {
            if (it->is_directory(error)) it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory(error)) {
            if (!recursive) it.disable_recursion_pending();
        } else if (it->is_regular_file(error)) {
            files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

FileList collect_files(const std::vector<std::string>& paths, bool recursive) {
    FileList list;
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (fs::is_directory(status)) {
            for (std::string& file : folder_files(path, recursive))
                list.files.push_back(std::move(file));
        } else if (fs::exists(status)) {
            list.files.push_back(path);
        } else {
            list.missing.push_back(path);
        }
    }
    return list;
}

}  // namespace cli
