#include "hollowway/traffic_stats.h"

namespace network::utils {

traffic_stats& traffic_stats::instance()
{
    static traffic_stats stats;
    return stats;
}

void traffic_stats::add_incoming_traffic(int bytes)
{
    if (m_enabled != 1)
        return;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_incoming += static_cast<std::uint64_t>(static_cast<std::int64_t>(bytes));
}

void traffic_stats::add_outgoing_traffic(int bytes)
{
    if (m_enabled != 1)
        return;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_outgoing += static_cast<std::uint64_t>(static_cast<std::int64_t>(bytes));
}

void traffic_stats::read(unsigned long long* incoming, unsigned long long* outgoing)
{
    if (incoming) {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        *incoming = m_incoming;
    }
    if (outgoing) {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        *outgoing = m_outgoing;
    }
}

void traffic_stats::reset()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_incoming = 0;
    m_outgoing = 0;
}

} // namespace network::utils
