// Running routines one at a time and redrawing after each.
#include "qt/session.h"

namespace vmqt {

bool Session::run(const Routine& routine) {
    if (!routine) return true;
    if (running_) {
        waiting_.push_back(routine);
        return false;
    }
    running_ = true;
    routine(program_);
    while (!waiting_.empty() && !program_.ended) {
        const Routine next = std::move(waiting_.front());
        waiting_.pop_front();
        next(program_);
    }
    waiting_.clear();
    running_ = false;
    emit redrawRequested();
    if (program_.ended && !endSignalled_) {
        endSignalled_ = true;
        emit programEnded();
    }
    emit idle();
    return true;
}

}  // namespace vmqt
