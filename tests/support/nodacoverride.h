#pragma once

namespace TestSupport {

// Drops the file-permission override capabilities from the calling thread's effective
// set, so that a folder made read-only is read-only even for root (tests run as root in
// CI). They come back on destruction.
class NoDacOverride
{
public:
    NoDacOverride();
    ~NoDacOverride();
    NoDacOverride(const NoDacOverride&) = delete;
    NoDacOverride& operator=(const NoDacOverride&) = delete;

    bool isValid() const { return m_valid; }

private:
    bool m_valid = false;
    unsigned m_savedEffective[2] = {0, 0};
};

} // namespace TestSupport
