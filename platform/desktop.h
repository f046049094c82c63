// Services of the window system that are neither boxes nor files: the mouse
// pointer, yielding, the help viewer, the clock and the short-date format.
#pragma once

#include <string>

#include "platform/civil_date.h"

namespace platform {

class Desktop {
  public:
    virtual ~Desktop() = default;

    // true: the busy (hourglass) pointer; false: the normal pointer.
    virtual void setBusy(bool busy) = 0;
    // Lets the window system process its pending events once.
    virtual void yieldOnce() = 0;
    // Shows the contents of the help file at path; a missing file is the
    // viewer's own business to report.
    virtual void showHelp(const std::string& path) = 0;
    // Today's date.
    virtual CivilDate today() = 0;
    // The date in the user's short date format (cp1252); empty when the date
    // is not valid (see isValidDate).
    virtual std::string shortDate(const CivilDate& date) = 0;
};

}  // namespace platform
