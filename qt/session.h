// The running program as the windows share it: every event runs one routine
// of the program to its end, and afterwards every window is redrawn from the
// state. Windows write user input (typing, selections, check marks, focus)
// into the state as it happens, but not while a routine runs.
#pragma once

#include <QObject>
#include <functional>

#include "app/program.h"

namespace vmqt {

class Session : public QObject {
    Q_OBJECT

  public:
    explicit Session(app::Program& program) : program_(program) {}

    app::Program& program() { return program_; }
    bool running() const { return running_; }

    // Runs routine, then redraws. An event that arrives while another routine
    // runs (during its yield or its box) is dropped: routines never nest.
    // False when it was dropped.
    bool run(const std::function<void(app::Program&)>& routine);

    // Redraws every window from the state now (also in the middle of a
    // routine, before a yield or a box).
    void redraw() { emit redrawRequested(); }

  signals:
    void redrawRequested();
    // A routine ended the program (Exit, Pack).
    void programEnded();

  private:
    app::Program& program_;
    bool running_ = false;
    bool endSignalled_ = false;
};

}  // namespace vmqt
