#include "hollowway/prompt_matcher.h"

namespace hollowway {

bool prompt_matcher::feed(const char* data, std::size_t size)
{
    if (m_pattern.empty())
        return false;
    for (std::size_t i = 0; i < size; ++i) {
        if (m_position < m_pattern.size() && data[i] == m_pattern[m_position])
            ++m_position;
        else
            m_position = data[i] == m_pattern[0] ? 1 : 0;
        if (m_position == m_pattern.size())
            return true;
    }
    return false;
}

} // namespace hollowway
