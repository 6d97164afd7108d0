#pragma once

#include <map>
#include <string>
#include <system_error>

namespace utils {

// An error category answering from a fixed table of messages; `Derived` supplies name()
// and the table, and every code outside the table reads "Unknown error".
template <typename Derived>
class error_category_base : public std::error_category
{
public:
    std::string message(int code) const override
    {
        const auto it = m_messages.find(code);
        return it == m_messages.end() ? std::string("Unknown error") : it->second;
    }

protected:
    explicit error_category_base(std::map<int, std::string> messages)
        : m_messages(std::move(messages))
    {
    }

private:
    const std::map<int, std::string> m_messages;
};

} // namespace utils
