#pragma once

#include <cstdint>
#include <mutex>

namespace network::utils {

// Byte counters read by the host once a second. The SSH client carries the payload in its
// own process, so nothing in this library feeds them yet; the interface is what hosts bind.
class traffic_stats
{
public:
    static traffic_stats& instance();

    void add_incoming_traffic(int bytes);
    void add_outgoing_traffic(int bytes);
    void read(unsigned long long* incoming, unsigned long long* outgoing);
    void reset();
    void set_enabled(int enabled) { m_enabled = enabled; }

private:
    traffic_stats() = default;

    std::uint64_t m_incoming = 0;
    std::uint64_t m_outgoing = 0;
    std::recursive_mutex m_lock;
    volatile int m_enabled = 1;
};

} // namespace network::utils
