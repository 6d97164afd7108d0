#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <system_error>

namespace hollowway {

// The process-wide tunnel: connection parameters, state and the host's handlers under one
// recursive lock. The SSH driver reports to it from its session thread.
class tunnel
{
public:
    enum tunnel_state { disconnected = 0, connecting = 1, connected = 3 };

    using state_change_handler = std::function<void(tunnel_state)>;
    using remote_forward_started_handler = std::function<void(unsigned short, std::error_code)>;
    using remote_forward_stopped_handler = std::function<void(std::error_code)>;

    static constexpr unsigned short local_port = 26268;
    static constexpr unsigned short server_socks_port = 1080;
    static constexpr unsigned short listen_port = 45679;

    static tunnel& instance();

    std::error_code set_params(const std::string& host, unsigned short port,
                               unsigned short max_sessions, const std::string& user,
                               const std::string& password);
    std::error_code start_local_forward(unsigned short& port);
    void stop_local_forward();
    void set_state_change_handler(state_change_handler handler);
    void start_remote_forward(remote_forward_started_handler handler);
    bool stop_remote_forward(remote_forward_stopped_handler handler);
    void on_already_connected();
    void change_state(tunnel_state s);

    // Called by the SSH driver on its session thread.
    void plinkConnecting();
    void plinkConnected();
    void plinkDisconnected();

    // Read by the driver under the lock when it starts a session.
    std::string host() const { return m_host; }
    unsigned short port() const { return m_port; }
    std::string user() const { return m_user; }
    std::string password() const { return m_password; }
    std::recursive_mutex& lock() { return m_lock; }

private:
    tunnel() = default;
    tunnel(const tunnel&) = delete;
    tunnel& operator=(const tunnel&) = delete;

    bool m_local_forward_started = false;
    state_change_handler m_state_change_handler;
    std::string m_host;
    unsigned short m_port = 0;
    std::string m_user;
    std::string m_password;
    tunnel_state m_state = disconnected;
    std::recursive_mutex m_lock;
    remote_forward_started_handler m_remote_forward_started_handler;
    remote_forward_stopped_handler m_remote_forward_stopped_handler;
};

} // namespace hollowway
