#include "hollowway/log.h"

#include <cstdio>
#include <ctime>

namespace utils {

log& log::instance()
{
    static log hook;
    return hook;
}

void log::set_logger(logger_fn logger)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_logger = logger;
}

void log::write(const std::string& line)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_logger) {
        m_logger(line.c_str());
        return;
    }
    char stamp[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Month names in the C locale whatever the host set, e.g. 2013-Jan-05 14:03:22.
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::snprintf(stamp, sizeof stamp, "%04d-%s-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  months[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                  local.tm_sec);
    std::fprintf(stderr, "[%s] %s\n", stamp, line.c_str());
    std::fflush(stderr);
}

void write_log(const char* text)
{
    log::instance().write(text ? text : "");
}

} // namespace utils
