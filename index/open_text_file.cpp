// The file dialogs' shared routines and frmOpen's OK.
#include "index/open_text_file.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/messages.h"
#include "app/settings.h"
#include "platform/cp1252.h"

namespace app {

namespace {

constexpr std::string_view kRoot = "/";

// folder without its trailing separators; the root stays "/".
std::string without_trailing_separator(std::string folder) {
    while (folder.size() > 1 && folder.back() == platform::kPathSeparator)
        folder.pop_back();
    return folder;
}

// The folders from the root down to folder itself, as the directory list
// offers them above folder's subfolders.
std::vector<std::string> folder_chain(const std::string& folder) {
    std::vector<std::string> chain;
    std::string step = folder;
    for (;;) {
        chain.push_back(step);
        std::size_t cut = step.rfind(platform::kPathSeparator);
        if (step == kRoot || cut == std::string::npos) break;
        step = cut == 0 ? std::string(kRoot) : step.substr(0, cut);
    }
    std::reverse(chain.begin(), chain.end());
    return chain;
}

void list_files(Program& program, ui::FileDialog& dialog) {
    ui::FileList& list = dialog.File1;
    list.items = program.platform.files.files(list.path, list.pattern);
    list.listIndex = -1;
}

// The directory list and the file list show folder.
void list_folder(Program& program, ui::FileDialog& dialog, const std::string& folder) {
    std::string path = without_trailing_separator(folder);
    ui::DirList& dirs = dialog.Dir1;
    dirs.path = path;
    dirs.items = folder_chain(path);
    dirs.listIndex = static_cast<int>(dirs.items.size()) - 1;
    for (const std::string& name : program.platform.files.directories(path))
        dirs.items.push_back(platform::withTrailingSeparator(path) + name);
    dialog.File1.path = path;
    list_files(program, dialog);
}

// The drive list: every drive, with the one holding folder chosen.
void list_drives(Program& program, ui::FileDialog& dialog, const std::string& folder) {
    ui::ListBox& drives = dialog.Drive1;
    drives.items = program.platform.files.drives();
    drives.listIndex = -1;
    std::size_t longest = 0;
    for (std::size_t i = 0; i < drives.items.size(); ++i) {
        std::string root = platform::withTrailingSeparator(drives.items[i]);
        if (folder.starts_with(root) && root.size() > longest) {
            longest = root.size();
            drives.listIndex = static_cast<int>(i);
        }
    }
}

void load_file_dialog(Program& program, ui::FileDialog& dialog) {
    dialog.Typelist.clear();
    dialog.Typelist.addItem(std::string(ui::kAllFilesType));
    dialog.Typelist.addItem(std::string(ui::kTextFilesType));
    dialog.Typelist.select(0);
    set_file_name(dialog, "");
    dialog.File1.pattern = "*.*";
    std::string folder = platform::withTrailingSeparator(program.programFolder);
    dialog.Dirname.caption = folder;
    list_drives(program, dialog, folder);
    list_folder(program, dialog, folder);
    dialog.loaded = true;
}

}  // namespace

void show_file_dialog(Program& program, ui::FileDialog& dialog) {
    if (!dialog.loaded) load_file_dialog(program, dialog);
    dialog.visible = true;
}

void Dir1_MouseDown(Program& program, ui::FileDialog& dialog) {
    std::string folder = dialog.Dir1.selectedItem();
    if (folder.empty()) return;
    dialog.Dirname.caption = platform::withTrailingSeparator(folder);
    program.platform.desktop.yieldOnce();
    list_folder(program, dialog, folder);
}

void Drive1_Change(Program& program, ui::FileDialog& dialog) {
    std::string root = dialog.Drive1.selectedItem();
    if (root.empty()) return;
    dialog.Dirname.caption = platform::withTrailingSeparator(root);
    list_folder(program, dialog, root);
}

void File1_Click(ui::FileDialog& dialog) {
    set_file_name(dialog, dialog.File1.selectedItem());
}

void Typelist_Click(Program& program, ui::FileDialog& dialog) {
    dialog.File1.pattern = dialog.Typelist.listIndex == 1 ? "*.txt" : "*.*";
    list_files(program, dialog);
}

void set_file_name(ui::FileDialog& dialog, const std::string& name) {
    dialog.Filenamebox.text = name;
    dialog.pictureNameCheck();
}

std::optional<std::string> chosen_path(const ui::FileDialog& dialog, int index) {
    std::string name = trim_blanks(dialog.Filenamebox.text);
    if (name.empty() || index != 0) return std::nullopt;
    // An absolute name stands for itself, as a name with a drive does on a
    // system with drive letters; any other name lies in the current folder.
    if (name.front() == platform::kPathSeparator) return name;
    return trim_blanks(dialog.Dirname.caption + name);
}

void report_file_error(Program& program, const std::string& error, const std::string& path) {
    showMessage(program, error + ".  (File " + path + ")");
}

void mnuOpen_Click(Program& program) {
    show_file_dialog(program, program.frmOpen);
}

void frmOpen_Thebutton_Click(Program& program, int index) {
    ui::FrmOpen& dialog = program.frmOpen;
    std::optional<std::string> path = chosen_path(dialog, index);
    if (!path) {
        dialog.visible = false;
        return;
    }
    platform::ReadResult file = program.platform.files.readFile(*path);
    if (!file.ok) {
        report_file_error(program, file.error, *path);
        return;
    }
    program.frmMain.txtInput.text = platform::textFromFile(file.bytes);
    program.frmMain.focus = ui::MainFocus::txtInput;
    dialog.visible = false;
}

}  // namespace app
