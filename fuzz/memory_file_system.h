// An in-memory file system for the fuzz targets: the engine reads and writes
// files held as byte strings, so each run needs no disk and leaves nothing.
// Locks always succeed (one process, one run at a time).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "xbase/file_io.h"

namespace fuzzing {

class MemoryFileSystem final : public xbase::FileSystem {
  public:
    std::unique_ptr<xbase::File> open(const std::string& path, xbase::OpenMode mode) override;
    std::unique_ptr<xbase::File> create(const std::string& path) override;
    bool exists(const std::string& path) override { return files_.count(path) != 0; }
    bool remove(const std::string& path) override { return files_.erase(path) != 0; }
    bool rename(const std::string& from, const std::string& to) override;

    // Puts a file in place of whatever the path held.
    void put(const std::string& path, std::string bytes);
    void clear() { files_.clear(); }

  private:
    std::map<std::string, std::shared_ptr<std::string>> files_;
};

// The process's memory file system, installed as the engine's on first use.
MemoryFileSystem& memoryFiles();

}  // namespace fuzzing
