// Runs the body of a public engine call so that no exception leaves it: an
// allocation failure, the only exception the engine's code can raise, turns
// into the call's fallback result (rc::kMemory for calls that return a code).
#pragma once

#include <utility>

namespace xbase {

template <class T, class Body>
T guarded(T fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

}  // namespace xbase
