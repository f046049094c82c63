// Running routines one at a time and redrawing after each.
#include "qt/session.h"

namespace vmqt {

bool Session::run(const std::function<void(app::Program&)>& routine) {
    if (running_ || !routine) return false;
    running_ = true;
    routine(program_);
    running_ = false;
    emit redrawRequested();
    if (program_.ended && !endSignalled_) {
        endSignalled_ = true;
        emit programEnded();
    }
    return true;
}

}  // namespace vmqt
