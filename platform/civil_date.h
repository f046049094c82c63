// A calendar date without time, its validity test, and the machine's own
// clock and short-date format through the C library.
#pragma once

#include <string>

namespace platform {

struct CivilDate {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to the length of the month

    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// True for a real day of the Gregorian calendar in the years 100 to 9999,
// the range a date value of the program can hold.
bool isValidDate(const CivilDate& date);

// Today's date from the system clock in local time.
CivilDate localToday();

// The date in the short form of the process's LC_TIME locale (strftime "%x").
// An invalid date gives an empty string.
std::string localShortDate(const CivilDate& date);

}  // namespace platform
