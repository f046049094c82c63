// A user story's stage: a fresh program folder holding only the spare copies
// the build wrote, a scripted platform, and a Program started in that folder
// exactly as a first start does (the data files restored from the spares).
// Also a reader of what a table holds per document, through its own engine.
#pragma once

#include <gtest/gtest.h>

#include <compare>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/startup.h"
#include "index/create_index.h"
#include "search/do_search.h"
#include "tests/support/scripted_platform.h"
#include "xbase/d4.h"

namespace testsupport {

class ProgramStory {
  public:
    ProgramStory() { copy_spare_copies(); }
    ~ProgramStory() {
        if (program && program->engine != nullptr) app::close_main_window(*program);
    }
    ProgramStory(const ProgramStory&) = delete;
    ProgramStory& operator=(const ProgramStory&) = delete;

    // Starts (or restarts) the program in the story's folder; false when
    // start-up ended the program.
    bool start() {
        if (program && program->engine != nullptr) app::close_main_window(*program);
        program = std::make_unique<app::Program>(platform.services);
        return app::start_program(*program, folder.path());
    }

    app::Program& p() { return *program; }
    ui::FrmMain& main() { return program->frmMain; }
    const std::vector<ShownBox>& boxes() const { return platform.dialogs.boxes; }

    // The status labels: position, count, record, deletion and date captions.
    std::string status() {
        const ui::FrmMain& f = main();
        return f.LabelRecNo.caption + "|" + f.LabelCount.caption + "|" + f.LabelRecord.caption +
               "|" + f.LabelDelete.caption + "|" + f.LabelDate.caption;
    }

    // Types text into the text box and runs Create Index.
    void index(const std::string& text) {
        main().txtInput.text = text;
        app::create_index(p());
    }
    // Types text into the search box and runs the search.
    void search(const std::string& text) {
        main().txtSearch.text = text;
        search::do_search(p());
    }

    TempFolder folder;
    ScriptedPlatform platform;
    std::unique_ptr<app::Program> program;

  private:
    void copy_spare_copies() {
        namespace fs = std::filesystem;
        for (const char* name : {"Keys.xx1", "Keys.xx2", "Text.xx1", "Text.xx2", "Text.xx3"}) {
            fs::copy_file(fs::path(VELLUMARK_PROGRAM_DIR) / name, folder.file(name));
        }
    }
};

// Whether box is the program's message box with this text, icon and buttons.
inline ::testing::AssertionResult is_box(const ShownBox& box, const std::string& text,
                                         platform::Icon icon = platform::Icon::Exclamation,
                                         platform::Buttons buttons = platform::Buttons::Ok) {
    if (box.text == text && box.title == "Vellumark" && box.icon == icon && box.buttons == buttons)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "box \"" << box.text << "\" titled \"" << box.title << "\" with icon "
           << static_cast<int>(box.icon) << " and buttons " << static_cast<int>(box.buttons);
}

// How many records of a table carry one document number, and how many of
// them are marked deleted.
struct DocumentRecords {
    int records = 0;
    int marked = 0;
    friend bool operator==(const DocumentRecords&, const DocumentRecords&) = default;
};

// The table at path per document number, read through an engine of its own.
inline std::map<long, DocumentRecords> records_by_document(const std::string& path) {
    std::map<long, DocumentRecords> documents;
    xbase::Code4* engine = xbase::d4init_v();
    xbase::Data4* table = xbase::d4open(engine, path.c_str());
    xbase::Field4* items = xbase::d4field(table, "Items");
    for (short rc = xbase::d4top(table); rc == 0; rc = xbase::d4skip(table, 1)) {
        DocumentRecords& document = documents[xbase::f4long(items)];
        ++document.records;
        document.marked += xbase::d4deleted(table) == 1;
    }
    xbase::d4initUndo(engine);
    return documents;
}

}  // namespace testsupport
