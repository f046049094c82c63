// The commands of vellumark-cli, each running the program's own routines in
// a started Session; each returns its exit status (cli/exit_status.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/session.h"

namespace cli {

struct AddOptions {
    std::vector<std::string> paths;  // files and folders
    std::string drawer;              // UTF-8; empty: no drawer
    bool recursive = false;          // folders: their subfolders too
};

struct SearchOptions {
    std::string text;    // the search string, UTF-8
    std::string drawer;  // UTF-8; empty: no drawer
    bool headerOnly = false;
    bool tolerance = false;
    int headerSize = 0;  // 0: the setting's
    bool json = false;
};

// add: every text file becomes one document, as if opened into the text box
// and indexed; refusals are reported per file on standard error.
int run_add(const CommonOptions& common, const AddOptions& options);

// search: the hit list of the window's search, one line per hit or one JSON object.
int run_search(const CommonOptions& common, const SearchOptions& options);

// show N: the text of document N on standard output.
int run_show(const CommonOptions& common, std::int32_t number);

// delete N / undelete N: the provisional deletion mark of document N and its
// keyword records.
int run_delete(const CommonOptions& common, std::int32_t number, bool undelete);

// list: every document in number order.
int run_list(const CommonOptions& common, bool json);

// pack: Pack Database, asking first unless --yes.
int run_pack(const CommonOptions& common);

// check: verifies both tables, their memo file and indexes, and that every
// keyword record belongs to a document.
int run_check(const CommonOptions& common);

// reindex: rebuilds every tag of both tables (an index that cannot be read
// at all is first replaced by its spare copy).
int run_reindex(const CommonOptions& common);

}  // namespace cli
