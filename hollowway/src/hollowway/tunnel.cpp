#include "hollowway/tunnel.h"

#include "hollowway/sshdriver.h"
#include "hollowway/tunnel_error.h"

namespace hollowway {

using guard = std::lock_guard<std::recursive_mutex>;

namespace {

// The host becomes an ssh argument: a leading dash would read as an option, and blanks or
// control characters are never part of a host name or address.
bool acceptable_host(const std::string& host)
{
    if (host.empty() || host.front() == '-')
        return false;
    for (const char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '.' || c == '-' || c == ':' || c == '_' || c == '%';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

tunnel& tunnel::instance()
{
    // Never destroyed: a session thread may still report while the host process exits.
    static tunnel* const object = new tunnel;
    return *object;
}

std::error_code tunnel::set_params(const std::string& host, unsigned short port,
                                   unsigned short /*max_sessions*/, const std::string& user,
                                   const std::string& password)
{
    guard g(m_lock);
    if (port == 0 || !acceptable_host(host))
        return make_error_code(tunnel_errc::bad_parameter_values);
    m_host = host;
    m_port = port;
    m_user = user;
    m_password = password;
    if (m_local_forward_started) {
        unsigned short ignored = 0;
        return start_local_forward(ignored);
    }
    return {};
}

std::error_code tunnel::start_local_forward(unsigned short& port)
{
    guard g(m_lock);
    // Two clients cannot both serve 26268; the caller waits for the end of the running one.
    if (ssh_session_alive())
        return make_error_code(tunnel_errc::already_started);
    // No terminal or no child process: nothing will ever serve the port, and no callback
    // will come, so the caller must hear it now.
    if (runSshProgram() != 0)
        return make_error_code(tunnel_errc::failed_to_open_port);
    port = local_port;
    m_local_forward_started = true;
    return {};
}

void tunnel::stop_local_forward()
{
    stop_ssh_session();
    m_local_forward_started = false;
}

void tunnel::set_state_change_handler(state_change_handler handler)
{
    guard g(m_lock);
    m_state_change_handler = std::move(handler);
}

void tunnel::start_remote_forward(remote_forward_started_handler handler)
{
    guard g(m_lock);
    m_remote_forward_started_handler = std::move(handler);
    if (m_state == connected)
        on_already_connected();
}

bool tunnel::stop_remote_forward(remote_forward_stopped_handler handler)
{
    {
        guard g(m_lock);
        m_remote_forward_stopped_handler = std::move(handler);
    }
    stop_ssh_session();
    return true;
}

void tunnel::on_already_connected()
{
    guard g(m_lock);
    if (m_remote_forward_started_handler)
        m_remote_forward_started_handler(listen_port, std::error_code());
}

void tunnel::change_state(tunnel_state s)
{
    guard g(m_lock);
    if (s == m_state)
        return;
    const state_change_handler handler = m_state_change_handler;
    m_state = s;
    if (handler)
        handler(s);
}

void tunnel::plinkConnecting()
{
    change_state(connecting);
}

void tunnel::plinkConnected()
{
    change_state(connected);
    remote_forward_started_handler started;
    {
        guard g(m_lock);
        started = m_remote_forward_started_handler;
    }
    if (started)
        started(listen_port, std::error_code());
}

void tunnel::plinkDisconnected()
{
    change_state(disconnected);
    remote_forward_started_handler started;
    remote_forward_stopped_handler stopped;
    {
        guard g(m_lock);
        started = m_remote_forward_started_handler;
        stopped = m_remote_forward_stopped_handler;
    }
    // Port 0 to the start handler tells the host that the session is over.
    if (started)
        started(0, std::error_code());
    if (stopped)
        stopped(std::error_code());
}

} // namespace hollowway
