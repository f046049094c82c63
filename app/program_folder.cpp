// The choice of the program folder and its first filling from the installed files.
#include "app/program_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"
#include "store/names.h"

namespace app {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHelpFile = "vellumark.hlp";
constexpr const char* kDataFolderName = "vellumark";

bool holds_spare_copies(const fs::path& folder) {
    std::error_code error;
    for (const store::SpareCopy& copy : store::kSpareCopies)
        if (!fs::is_regular_file(folder / copy.spareFile, error)) return false;
    return true;
}

bool writable_folder(const fs::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

fs::path absolute_path(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    return error ? fs::path(path) : absolute.lexically_normal();
}

// Copies name from source into folder when folder lacks it, or (newerWins)
// when the source's copy is newer. A failing copy is left for start-up to find.
void copy_missing(const fs::path& source, const fs::path& folder, const char* name,
                  bool newerWins) {
    std::error_code error;
    const fs::path from = source / name, to = folder / name;
    if (!fs::is_regular_file(from, error)) return;
    if (fs::exists(to, error)) {
        if (!newerWins) return;
        const auto installed = fs::last_write_time(from, error);
        if (error) return;
        const auto kept = fs::last_write_time(to, error);
        if (!error && kept >= installed) return;
    }
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

std::string home_folder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

std::string executable_folder(const std::string& argv0) {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) self = absolute_path(argv0);
    return self.parent_path().string();
}

}  // namespace

std::string installed_files_folder(const std::string& executableFolder) {
    const fs::path beside = absolute_path(executableFolder);
    if (holds_spare_copies(beside)) return beside.string();
    const fs::path shared = (beside.parent_path() / "share" / kDataFolderName).lexically_normal();
    if (holds_spare_copies(shared)) return shared.string();
    return {};
}

std::string user_data_folder(const std::string& xdgDataHome, const std::string& home) {
    // The XDG base directory rules ignore a relative XDG_DATA_HOME.
    fs::path base = !xdgDataHome.empty() && fs::path(xdgDataHome).is_absolute()
                        ? fs::path(xdgDataHome)
                        : fs::path(home) / ".local" / "share";
    return (base / kDataFolderName).string();
}

std::string choose_program_folder(const FolderPlaces& places) {
    const std::string installed = installed_files_folder(places.executableFolder);
    const fs::path beside = absolute_path(places.executableFolder);
    fs::path folder;
    if (!places.folderOption.empty()) {
        folder = absolute_path(places.folderOption);
    } else if (!installed.empty() && fs::path(installed) == beside && writable_folder(beside)) {
        folder = beside;
    } else {
        folder = absolute_path(user_data_folder(places.xdgDataHome, places.home));
    }

    std::error_code error;
    fs::create_directories(folder, error);
    if (!installed.empty() && fs::path(installed) != folder) {
        for (const store::SpareCopy& copy : store::kSpareCopies)
            copy_missing(installed, folder, copy.spareFile, false);
        copy_missing(installed, folder, kHelpFile, true);
    }
    return platform::withTrailingSeparator(folder.string());
}

std::string choose_program_folder(const std::string& argv0, const std::string& folderOption) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    return choose_program_folder(FolderPlaces{executable_folder(argv0), folderOption,
                                              xdg != nullptr ? xdg : "", home_folder()});
}

}  // namespace app
