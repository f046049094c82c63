// The crash harness's child: runs the program's routines in a folder (Create
// Index, Delete, Un-delete, Pack) in a random order until it is killed, and
// journals each step before and after it (tools/crash/crash_trial.h).
//
//   crash_driver FOLDER SEED [STEPS [index]]
//
// The folder must hold the spare copies (or the data files). The driver stops
// by itself after STEPS steps (default 2000). With "index" every step is a
// Create Index (two drivers then store side by side in one folder).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/pack_database.h"
#include "app/startup.h"
#include "browse/do_delete.h"
#include "index/create_index.h"
#include "tests/support/scripted_platform.h"
#include "tools/crash/crash_trial.h"
#include "tools/crash/documents.h"
#include "tools/crash/store_check.h"
#include "xbase/d4.h"

namespace {

class Journal {
  public:
    explicit Journal(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)) {}
    ~Journal() {
        if (fd_ >= 0) ::close(fd_);
    }
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;
    bool ok() const { return fd_ >= 0; }
    // One whole line per write(), so a kill never leaves half a line.
    void line(const std::string& text) {
        std::string whole = text + "\n";
        [[maybe_unused]] ssize_t n = ::write(fd_, whole.data(), whole.size());
    }

  private:
    int fd_;
};

// The documents of the store and which of them are marked deleted.
struct Known {
    std::vector<std::int32_t> live;
    std::vector<std::int32_t> deleted;
};

Known read_store(app::Program& program) {
    Known known;
    xbase::Data4* text = program.text;
    xbase::d4tagSelect(text, nullptr);
    xbase::Field4* items = xbase::d4field(text, "Items");
    for (short rc = xbase::d4top(text); rc == 0; rc = xbase::d4skip(text, 1)) {
        auto number = static_cast<std::int32_t>(xbase::f4long(items));
        (xbase::d4deleted(text) == 1 ? known.deleted : known.live).push_back(number);
    }
    return known;
}

std::int32_t take_random(std::vector<std::int32_t>& from, std::mt19937& random) {
    std::size_t i = std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random);
    std::int32_t number = from[i];
    from.erase(from.begin() + static_cast<std::ptrdiff_t>(i));
    return number;
}

// Deletes or un-deletes the document with this number, as the view would
// after showing it.
void change_mark(app::Program& program, std::int32_t number, std::int16_t mode) {
    program.frmMain.documentOnDisplay = number;
    browse::do_delete(program, mode);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::string folder = platform::withTrailingSeparator(argv[1]);
    const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    const long steps = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 2000;
    const bool indexOnly = argc > 4 && std::string(argv[4]) == "index";
    Journal journal(folder + reliability::kJournalName);
    if (!journal.ok()) return 2;

    std::mt19937 random(seed);
    std::uint32_t sequence = 0;
    testsupport::ScriptedPlatform platform;
    auto program = std::make_unique<app::Program>(platform.services);
    if (!app::start_program(*program, folder)) return 1;
    Known known = read_store(*program);

    for (long step = 0; step < steps; ++step) {
        const int roll = std::uniform_int_distribution<int>(0, 99)(random);
        if (roll < 75 || indexOnly || known.live.empty()) {
            program->frmMain.txtInput.text = reliability::document_text(seed, sequence);
            app::create_index(*program);
            const std::int32_t number = program->frmMain.documentOnDisplay.value_or(0);
            journal.line("I " + std::to_string(seed) + " " + std::to_string(sequence) + " " +
                         std::to_string(number));
            known.live.push_back(number);
            ++sequence;
        } else if (roll < 88) {
            const std::int32_t number = take_random(known.live, random);
            journal.line("d " + std::to_string(number));
            change_mark(*program, number, browse::kDeleteMode);
            journal.line("D " + std::to_string(number));
            known.deleted.push_back(number);
        } else if (roll < 97 && !known.deleted.empty()) {
            const std::int32_t number = take_random(known.deleted, random);
            journal.line("u " + std::to_string(number));
            change_mark(*program, number, browse::kUndeleteMode);
            journal.line("U " + std::to_string(number));
            known.live.push_back(number);
        } else if (roll >= 97) {
            journal.line("P");
            platform.dialogs.answers.push_back(platform::Answer::Yes);
            app::pack_database(*program);
            // A pack that worked ends the program; a failed one may too.
            journal.line(program->ended && program->exitCode == 0 ? "p" : "x");
            if (!program->ended) continue;
            if (program->engine != nullptr) app::close_main_window(*program);
            program = std::make_unique<app::Program>(platform.services);
            if (!app::start_program(*program, folder)) return 1;
            known = read_store(*program);
        }
    }
    app::close_main_window(*program);
    return 0;
}
