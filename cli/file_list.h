// The files an add command names: files as given, the files of folders
// (hidden ones left out), in name order.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct FileList {
    std::vector<std::string> files;    // in the order of the paths, each folder's sorted
    std::vector<std::string> missing;  // paths that name nothing
};

// Regular files of each folder path (and of its subfolders when recursive),
// names starting with '.' left out; a path that is a file is taken as it is.
FileList collect_files(const std::vector<std::string>& paths, bool recursive);

}  // namespace cli
