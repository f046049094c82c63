// The search and browse stories' stage: a started program and documents
// written straight through the engine the way Create Index stores them: one Keys record per
// blank-separated word (key = word + blank cut to 10, position from 1, the drawer in Filter), then
// the Text record with its number, text and date.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/settings.h"
#include "search/do_search.h"
#include "store/bindings.h"
#include "store/names.h"
#include "tests/program/program_story.h"
#include "xbase/d4.h"

namespace testsupport {

struct StoredDocument {
    std::int32_t number = 0;
    long record = 0;  // record number in Text
};

inline StoredDocument store_document(app::Program& p, const std::string& text,
                                     const std::string& drawer = "",
                                     const std::string& date = "20240315") {
    const std::int32_t number = ++p.frmMain.highestDocumentNumber;
    const std::string items = std::to_string(number);
    std::istringstream words(text);
    std::string word;
    for (int position = 1; words >> word; ++position) {
        std::string key = (word + " ").substr(0, 10);
        xbase::d4appendStartVB(p.keys, 0);
        store::assign_text(xbase::d4field(p.keys, store::kKeysField), key);
        store::assign_text(xbase::d4field(p.keys, store::kItemsField), items);
        store::assign_text(xbase::d4field(p.keys, store::kOrderField), std::to_string(position));
        store::assign_text(xbase::d4field(p.keys, store::kFilterField), drawer);
        xbase::d4append(p.keys);
        xbase::d4unlock(p.keys);
    }
    xbase::d4appendStartVB(p.text, 0);
    store::assign_text(xbase::d4field(p.text, store::kItemsField), items);
    xbase::f4memoAssign(xbase::d4field(p.text, store::kTextField), text.c_str());
    store::assign_text(xbase::d4field(p.text, store::kDateField), date);
    xbase::d4append(p.text);
    const long record = xbase::d4recNo(p.text);
    xbase::d4unlock(p.text);
    xbase::d4flush(p.keys);
    xbase::d4flush(p.text);
    return {number, record};
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

    // Types text into the search box and runs the search.
    void search(const std::string& text) {
        main().txtSearch.text = text;
        search::do_search(p());
    }

    // The document numbers of hit-list slots 1 to count, as numbers.
    std::vector<int> hits(int count) {
        std::vector<int> numbers;
        for (int slot = 1; slot <= count; ++slot)
            numbers.push_back(std::stoi(app::trim_blanks(main().hitList[slot])));
        return numbers;
    }

    const std::vector<ShownBox>& boxes() const { return platform.dialogs.boxes; }

    bool started = false;
};

}  // namespace testsupport
