// Date validity, today's date and the C library's short-date form.
#include "platform/civil_date.h"

#include <ctime>

namespace platform {

namespace {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool isValidDate(const CivilDate& date) {
    if (date.year < 100 || date.year > 9999) return false;
    if (date.month < 1 || date.month > 12) return false;
    return date.day >= 1 && date.day <= daysInMonth(date.year, date.month);
}

CivilDate localToday() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return {};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string localShortDate(const CivilDate& date) {
    if (!isValidDate(date)) return {};
    std::tm when{};
    when.tm_year = date.year - 1900;
    when.tm_mon = date.month - 1;
    when.tm_mday = date.day;
    when.tm_hour = 12;
    char buffer[64];
    std::size_t length = std::strftime(buffer, sizeof buffer, "%x", &when);
    return std::string(buffer, length);
}

}  // namespace platform
