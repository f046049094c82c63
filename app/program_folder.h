// Which folder a run of the program keeps its tables and settings in: the
// folder named with --folder, the executable's own folder when it holds the
// program's files and may be written, or else the user's data folder
// ($XDG_DATA_HOME/vellumark, by default ~/.local/share/vellumark). A chosen
// folder that lacks the spare copies (or the help file) gets them from the
// program's installed files, so that the first start can restore its tables.
//
// Installed layout: the executables in PREFIX/bin, the spare copies and the
// help file in PREFIX/share/vellumark. An installed program never writes into
// its prefix; a program whose executable sits beside its spare copies (the
// build tree, an unpacked folder) uses that folder when it may write there.
#pragma once

#include <string>

namespace app {

// What the choice depends on, gathered so it can be made without the
// process's own environment.
struct FolderPlaces {
    std::string executableFolder;  // the folder of the running executable
    std::string folderOption;      // the DIR of --folder DIR; empty when not given
    std::string xdgDataHome;       // $XDG_DATA_HOME; empty when unset
    std::string home;              // the user's home folder
};

// The folder holding the program's own files (the spare copies and the help
// file) for an executable in executableFolder: that folder itself, or
// ../share/vellumark beside it; empty when neither holds the spare copies.
std::string installed_files_folder(const std::string& executableFolder);

// The user's data folder: xdgDataHome/vellumark when xdgDataHome is an
// absolute path, else home/.local/share/vellumark.
std::string user_data_folder(const std::string& xdgDataHome, const std::string& home);

// The program folder for these places, with a trailing separator; the folder
// is created when missing and the spare copies and help file the installed
// files hold are copied into it when it lacks them (the help file also when
// the installed one is newer). Nothing here fails: a folder that cannot be
// made or filled is still returned, and start-up reports the tables it cannot
// open.
std::string choose_program_folder(const FolderPlaces& places);

// The same for this process: the executable's folder from the system (argv0
// when the system cannot name it), $XDG_DATA_HOME and $HOME (the password
// database when HOME is unset).
std::string choose_program_folder(const std::string& argv0, const std::string& folderOption);

}  // namespace app
