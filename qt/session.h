// The running program as the windows share it: every event runs one routine
// of the program to its end, and afterwards every window is redrawn from the
// state. Windows write user input (typing, selections, check marks, focus)
// into the state as it happens, but not while a routine runs.
//
// Routines never nest: an event that arrives while a routine runs (during
// its yield or its box) waits, and its routine runs as soon as the running
// one has finished, in the order the events came. Once a routine has ended
// the program, the waiting ones are dropped.
#pragma once

#include <QObject>
#include <deque>
#include <functional>

#include "app/program.h"

namespace vmqt {

class Session : public QObject {
    Q_OBJECT

  public:
    explicit Session(app::Program& program) : program_(program) {}

    app::Program& program() { return program_; }
    bool running() const { return running_; }

    using Routine = std::function<void(app::Program&)>;

    // Runs routine and any that came in meanwhile, then redraws. False when
    // another routine is running: routine then waits for it.
    bool run(const Routine& routine);

    // Redraws every window from the state now (also in the middle of a
    // routine, before a yield or a box).
    void redraw() { emit redrawRequested(); }

  signals:
    void redrawRequested();
    // A routine ended the program (Exit, Pack).
    void programEnded();
    // No routine runs any more.
    void idle();

  private:
    app::Program& program_;
    bool running_ = false;
    std::deque<Routine> waiting_;
    bool endSignalled_ = false;
};

}  // namespace vmqt
