#pragma once

#include <mutex>
#include <string>

namespace utils {

// The library's log hook: lines go to the host's logger, or time-stamped to stderr.
class log
{
public:
    using logger_fn = void (*)(const char* line);

    static log& instance();

    void set_logger(logger_fn logger);
    void write(const std::string& line);

private:
    log() = default;

    std::recursive_mutex m_lock;
    logger_fn m_logger = nullptr;
};

void write_log(const char* text);

} // namespace utils
