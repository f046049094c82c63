// The machine's own file system behind the FileSystem interface, through the
// C++ and POSIX libraries. Hidden entries (names starting with '.') are left
// out of the listings, as the window system's own file lists do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace platform {

class LocalFileSystem : public FileSystem {
  public:
    // Volumes from /proc/self/mounts; "/" when that cannot be read.
    std::vector<std::string> drives() override;
    std::vector<std::string> directories(const std::string& folder) override;
    std::vector<std::string> files(const std::string& folder, std::string_view pattern) override;
    long long fileLength(const std::string& path) override;
    bool exists(const std::string& path) override;
    FileResult copyFile(const std::string& from, const std::string& to) override;
    ReadResult readFile(const std::string& path) override;
    FileResult writeFile(const std::string& path, std::string_view bytes) override;
};

// The mount points of a mounts table (the format of /proc/self/mounts:
// device, mount point with octal escapes, type, ...), leaving out the
// kernel's pseudo file systems and everything under /proc, /sys, /dev and
// /run; sorted, without duplicates. Malformed lines are skipped.
std::vector<std::string> parseMounts(std::string_view table);

}  // namespace platform
