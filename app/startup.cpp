// Start-up and shut-down of the program.
#include "app/startup.h"

#include <span>

#include "app/messages.h"
#include "app/settings.h"
#include "store/names.h"
#include "xbase/d4.h"
#include "xbase/expr.h"

namespace app {

namespace {

constexpr std::int32_t kDefaultFontSize = 11;
constexpr std::int32_t kDefaultHeaderSize = 25;

// Engine errors, while reports are on, show as the engine's own box.
void point_error_reports_at_message_box(Program& program) {
    xbase::code4errorCallback(program.engine, [&program](short code, const std::string& text) {
        program.platform.dialogs.messageBox("Error #: " + std::to_string(code) + "\n\r" + text,
                                            "CodeBasic Error", platform::Icon::Critical,
                                            platform::Buttons::Ok);
    });
}

void read_settings(Program& program) {
    ui::FrmMain& form = program.frmMain;
    form.txtInput.font.size = read_number_setting(program, "Fontsize", kDefaultFontSize, 1, 48);
    form.headerSize = static_cast<std::int16_t>(
        read_number_setting(program, "HeaderSize", kDefaultHeaderSize, 1, 32767));
}

void restore_data_files(Program& program) {
    platform::FileSystem& files = program.platform.files;
    for (const store::SpareCopy& copy : store::kSpareCopies) {
        std::string data = program.programFolder + copy.dataFile;
        if (files.fileLength(data) <= 0) {
            files.copyFile(program.programFolder + copy.spareFile, data);  // failure ignored
        }
    }
}

// Replaces the production index of the table at path by its spare copy. The
// spare's tags are empty and name no record count, so the next open rebuilds
// them from the table. False when there is no spare copy or it cannot be copied.
bool restore_index_from_spare(Program& program, const std::string& path) {
    const std::string index =
        path.substr(program.programFolder.size(), path.size() - program.programFolder.size() - 3) +
        "cdx";
    for (const store::SpareCopy& copy : store::kSpareCopies) {
        if (index != copy.dataFile) continue;
        return program.platform.files
            .copyFile(program.programFolder + copy.spareFile, program.programFolder + index)
            .ok;
    }
    return false;
}

// True when table has every field (or every tag) the program uses in it. A
// damaged header can still describe a table or index, only not this program's.
bool has_program_parts(Program& program, xbase::Data4* table, bool documentTable, bool tags) {
    static constexpr const char* kKeysFields[] = {store::kKeysField, store::kItemsField,
                                                  store::kOrderField, store::kFilterField};
    static constexpr const char* kTextFields[] = {store::kItemsField, store::kTextField,
                                                  store::kDateField};
    static constexpr const char* kKeysTags[] = {store::kKeyItemsTag, store::kItemsTag};
    static constexpr const char* kTextTags[] = {store::kItemsTag};
    std::span<const char* const> names = documentTable ? std::span<const char* const>(kTextFields)
                                                       : std::span<const char* const>(kKeysFields);
    if (tags)
        names = documentTable ? std::span<const char* const>(kTextTags)
                              : std::span<const char* const>(kKeysTags);
    bool all = true;
    for (const char* name : names)
        all = all && (tags ? xbase::d4tag(table, name) != nullptr
                           : xbase::d4field(table, name) != nullptr);
    program.frmMain.lastReturnCode = xbase::code4errorCode(program.engine, 0);
    return all;
}

// An open that failed on the index rather than on the table.
bool index_failed(short code) {
    namespace rc = xbase::rc;
    return code == rc::kIndex || code == rc::kExprSyntax || code == rc::kExprType ||
           code == rc::kFieldName;
}

// Opens one table. An index too damaged to open, or without the program's
// tags, is replaced by its spare copy and rebuilt; a table without the
// program's fields counts as one that cannot be opened. On failure shows its
// message and ends the program.
xbase::Data4* open_table(Program& program, const std::string& path, bool documentTable) {
    xbase::Data4* table = xbase::d4open(program.engine, path.c_str());
    const bool damagedIndex = table == nullptr
                                  ? index_failed(xbase::code4errorCode(program.engine, 0))
                                  : !has_program_parts(program, table, documentTable, true);
    if (damagedIndex) {
        if (table != nullptr) xbase::d4close(table);
        table = restore_index_from_spare(program, path)
                    ? xbase::d4open(program.engine, path.c_str())
                    : nullptr;
    }
    if (table != nullptr && !has_program_parts(program, table, documentTable, false)) {
        xbase::d4close(table);
        table = nullptr;
    }
    if (table == nullptr) {
        showMessage(program, cannot_open_message(path, documentTable));
        program.frmMain.lastReturnCode = xbase::code4errorCode(program.engine, 0);
        program.ended = true;
        program.exitCode = 1;
    }
    return table;
}

void find_highest_document_number(Program& program) {
    ui::FrmMain& form = program.frmMain;
    form.lastReturnCode = xbase::d4bottom(program.text);
    if (xbase::d4recCountDo(program.text) == 0) {
        form.highestDocumentNumber = 0;
    } else {
        form.highestDocumentNumber =
            static_cast<std::int32_t>(xbase::f4long(xbase::d4field(program.text, "Items")));
    }
}

void fill_drawer_box(Program& program) {
    ui::ComboBox& box = program.frmMain.ComboFilter;
    box.clear();
    for (int drawer = 1; drawer <= 12; ++drawer)
        box.addItem(read_drawer_name(program, drawer));
    box.select(0);
}

}  // namespace

std::string cannot_open_message(const std::string& path, bool documentTable) {
    return std::string(documentTable ? "Cannnot open " : "Cannot open ") +
           xbase::upperCp1252(path) +
           " database.  Please try again.  If the problem persits, restart Windows.";
}

bool start_program(Program& program, const std::string& folder) {
    // Program entry.
    program.engine = xbase::d4init_v();
    if (program.engine == nullptr) {
        showMessage(program, "CODE4INIT failed.");
        program.ended = true;
        program.exitCode = 1;
        return false;
    }
    xbase::code4errDefaultUnique(program.engine, 20);
    xbase::code4errOff(program.engine, -1);
    point_error_reports_at_message_box(program);

    // Loading the main window.
    ui::FrmMain& form = program.frmMain;
    program.programFolder = platform::withTrailingSeparator(folder);
    form.settingsPath = program.programFolder + "vellumark.ini";
    form.helpPath = program.programFolder + "vellumark.hlp";
    read_settings(program);

    form.keysPath = program.programFolder + store::kKeysFile;
    form.textPath = program.programFolder + store::kTextFile;
    restore_data_files(program);
    form.lastReturnCode = xbase::code4largeOn(program.engine);

    program.keys = open_table(program, form.keysPath, false);
    if (program.keys == nullptr) return false;
    program.text = open_table(program, form.textPath, true);
    if (program.text == nullptr) return false;
    form.lastReturnCode = xbase::code4lockEnforce(program.engine, 1);

    find_highest_document_number(program);
    fill_drawer_box(program);
    return true;
}

void main_window_activated(Program& program) {
    program.frmMain.focus = ui::MainFocus::txtSearch;
}

void close_main_window(Program& program) {
    ui::FrmMain& form = program.frmMain;
    if (program.keys != nullptr) form.lastReturnCode = xbase::d4close(program.keys);
    if (program.text != nullptr) form.lastReturnCode = xbase::d4close(program.text);
    if (program.engine != nullptr) form.lastReturnCode = xbase::d4initUndo(program.engine);
    program.keys = nullptr;
    program.text = nullptr;
    program.engine = nullptr;
    program.frmSave.loaded = program.frmSave.visible = false;
    program.frmOpen.loaded = program.frmOpen.visible = false;
}

void exit_program(Program& program) {
    close_main_window(program);
    program.ended = true;
}

}  // namespace app
