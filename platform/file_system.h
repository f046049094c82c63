// The files the routines touch: the listings of the file dialogs (drives,
// folders, files matching a pattern), file length, existence and copy, and
// whole-file reads and writes of bytes. Paths use the platform's separator.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr char kPathSeparator = '/';

// Outcome of a file operation; error is the system's description of the
// failure (as strerror gives it), empty on success.
struct FileResult {
    bool ok = false;
    std::string error;
};

struct ReadResult {
    bool ok = false;
    std::string bytes;
    std::string error;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The mounted volumes of the machine, each as the path of its root folder.
    virtual std::vector<std::string> drives() = 0;
    // Names of the visible subfolders of folder, sorted.
    virtual std::vector<std::string> directories(const std::string& folder) = 0;
    // Names of the visible files of folder that match pattern, sorted.
    virtual std::vector<std::string> files(const std::string& folder, std::string_view pattern) = 0;

    // Length in bytes of the file at path; -1 when there is none.
    virtual long long fileLength(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    // Copies from over to, replacing to when it exists.
    virtual FileResult copyFile(const std::string& from, const std::string& to) = 0;

    virtual ReadResult readFile(const std::string& path) = 0;
    // Creates or replaces the file at path with bytes.
    virtual FileResult writeFile(const std::string& path, std::string_view bytes) = 0;
};

// True when name matches the file pattern: '*' stands for any run of
// characters, '?' for one, letters match without regard to case, and a
// pattern ending in ".*" also matches a name without a full stop ("*.*"
// matches every name).
bool matchesPattern(std::string_view name, std::string_view pattern);

// folder with one separator appended unless it already ends with one.
std::string withTrailingSeparator(std::string folder);

}  // namespace platform
