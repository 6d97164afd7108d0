#pragma once

#include <cstddef>
#include <string>

namespace hollowway {

// Finds a fixed byte pattern in a stream read in small chunks. The match position survives
// between chunks, so a pattern split across two reads is still found; nothing is buffered.
class prompt_matcher
{
public:
    explicit prompt_matcher(std::string pattern) : m_pattern(std::move(pattern)) {}

    // Scans `size` bytes; true at the byte that completes the pattern (the rest is left).
    bool feed(const char* data, std::size_t size);
    void reset() { m_position = 0; }
    std::size_t position() const { return m_position; }

private:
    const std::string m_pattern;
    std::size_t m_position = 0;
};

} // namespace hollowway
