// The state shared by the Open File and Save As dialogs: a small file
// browser of drive list, directory list, file list, file-name box and
// file-type list. The dialog is made once on first use and afterwards only
// hidden and shown, keeping its folder, pattern and file name.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ui/controls.h"

namespace ui {

// The directory list: the folder it shows and the folders it offers, as full
// paths; listIndex is the highlighted one.
struct DirList : ListBox {
    std::string path;
};

// The file list: names (without folder) of the files of path that match
// pattern.
struct FileList : ListBox {
    std::string path;
    std::string pattern = "*.*";
};

// The two entries the load step puts into Typelist.
inline constexpr std::string_view kAllFilesType = "All Files (*.*)";
inline constexpr std::string_view kTextFilesType = "Text Files (*.txt)";

// As constructed, the dialog is not yet loaded: its lists are empty until the
// first show fills them (Typelist, folder, pattern, file name).
struct FileDialog {
    explicit FileDialog(std::string_view caption);

    std::string caption;
    bool loaded = false;   // made by its first show
    bool visible = false;  // shown without blocking the main window

    Label LabelFileName;     // "FileName:"
    TextBox Filenamebox;     // the file name, with or without folder
    Label LabelDirectory;    // "Current Directory:"
    Label Dirname;           // the current folder, ending with the separator once loaded
    Label LabelDrives;       // "Drives:"
    ListBox Drive1;          // the mounted volumes
    Label LabelDirectories;  // "Directories:"
    DirList Dir1;
    FileList File1;
    Label LabelFileType;              // "File Type:"
    ComboBox Typelist;                // kAllFilesType, kTextFilesType once loaded
    std::array<Button, 2> Thebutton;  // 0 "OK", 1 "Cancel"

    // The lower-case extension of a name: the characters after the first
    // full stop found among its last five characters, searching from the
    // end; empty when none of them is a full stop.
    static std::string extensionOf(std::string_view name);

    // Run whenever the text of Filenamebox changes: hides the Cancel button
    // for a picture file name (gif bmp pcx jpg png wmf eps) and shows it for
    // any other name.
    void pictureNameCheck();
};

}  // namespace ui
