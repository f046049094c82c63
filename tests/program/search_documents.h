// The search and browse stories' stage: a started program and documents
// stored through Create Index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/settings.h"
#include "tests/program/program_story.h"
#include "xbase/d4.h"

namespace testsupport {

struct StoredDocument {
    std::int32_t number = 0;
    long record = 0;  // record number in Text
};

// Stores text as a new document through Create Index, in drawer (the drawer
// box's text for that moment only).
inline StoredDocument store_document(app::Program& p, const std::string& text,
                                     const std::string& drawer = "") {
    ui::FrmMain& form = p.frmMain;
    const std::string drawerInForce = form.ComboFilter.text;
    form.txtInput.text = text;
    form.ComboFilter.text = drawer;
    app::create_index(p);
    form.ComboFilter.text = drawerInForce;
    return {form.highestDocumentNumber, xbase::d4recNo(p.text)};
}

// Marks the document's Text record deleted, as Delete does.
inline void mark_deleted(app::Program& p, const StoredDocument& document) {
    xbase::d4goTo(p.text, document.record);
    xbase::d4lock(p.text, document.record);
    xbase::d4delete(p.text);
    xbase::d4unlock(p.text);
    xbase::d4flush(p.text);
}

// A started program with documents to search.
class SearchStory : public ProgramStory {
  public:
    SearchStory() { started = start(); }

    StoredDocument store(const std::string& text, const std::string& drawer = "") {
        return store_document(p(), text, drawer);
    }

    // The document numbers of hit-list slots 1 to count, as numbers.
    std::vector<int> hits(int count) {
        std::vector<int> numbers;
        for (int slot = 1; slot <= count; ++slot)
            numbers.push_back(std::stoi(app::trim_blanks(main().hitList[slot])));
        return numbers;
    }
    // The hits the count label announces.
    std::vector<int> found() { return hits(std::stoi("0" + main().LabelCount.caption)); }

    bool started = false;
};

}  // namespace testsupport
