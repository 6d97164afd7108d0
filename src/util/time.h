#pragma once

#include <QString>

#include <ctime>

namespace Util {

class Time
{
public:
    // "1 days 1 hours 1 min 1 sec"; durations wrap after a calendar year of days.
    static QString formatTime(std::time_t seconds);
};

} // namespace Util
