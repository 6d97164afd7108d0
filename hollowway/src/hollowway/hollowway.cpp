// The exported C interface: thin wrappers that convert arguments, call the tunnel object
// and keep the library's last error.
#include "hollowway/hollowway.h"

#include "hollowway/log.h"
#include "hollowway/traffic_stats.h"
#include "hollowway/tunnel.h"
#include "hollowway/tunnel_error.h"

#include <string>
#include <system_error>

namespace {

// Meant for the single calling thread, as the interface says: not locked.
std::error_code g_last_error(0, std::system_category());
std::string g_last_error_text;

void set_last_error(const std::error_code& code)
{
    g_last_error = code;
}

std::error_code bad_arguments()
{
    return hollowway::make_error_code(hollowway::tunnel_errc::bad_arguments);
}

hollowway_status to_status(hollowway::tunnel::tunnel_state state)
{
    switch (static_cast<int>(state)) {
    case hollowway::tunnel::connecting: return HOLLOWWAY_STATUS_CONNECTING;
    case 2: return HOLLOWWAY_STATUS_RESERVED;
    case hollowway::tunnel::connected: return HOLLOWWAY_STATUS_CONNECTED;
    default: return HOLLOWWAY_STATUS_DISCONNECTED;
    }
}

void on_state_changed(void (*callback)(hollowway_status), hollowway::tunnel::tunnel_state state)
{
    if (callback)
        callback(to_status(state));
}

void on_remote_forward_started(void (*callback)(unsigned short), unsigned short port,
                               std::error_code code)
{
    callback(code ? 0 : port);
}

void on_remote_forward_stoped(void (*callback)(unsigned short), std::error_code code)
{
    callback(static_cast<unsigned short>(code.value()));
}

} // namespace

extern "C" {

int hollowway_set_params(const char* host, unsigned short port, unsigned short max_sessions,
                         const char* user, const char* password)
{
    if (!host || !user || !password || port == 0) {
        set_last_error(bad_arguments());
        return 1;
    }
    const std::error_code result =
        hollowway::tunnel::instance().set_params(host, port, max_sessions, user, password);
    set_last_error(result);
    return result ? 1 : 0;
}

int hollowway_start_local_forward(unsigned short* port)
{
    unsigned short local = 0;
    const std::error_code result = hollowway::tunnel::instance().start_local_forward(local);
    set_last_error(result);
    if (result)
        return 1;
    if (port)
        *port = local;
    return 0;
}

void hollowway_stop_local_forward(void)
{
    hollowway::tunnel::instance().stop_local_forward();
    set_last_error(std::error_code(0, std::system_category()));
}

int hollowway_start_remote_forward(void (*callback)(unsigned short port))
{
    if (!callback) {
        set_last_error(bad_arguments());
        return 1;
    }
    hollowway::tunnel::instance().start_remote_forward(
        [callback](unsigned short port, std::error_code code) {
            on_remote_forward_started(callback, port, code);
        });
    return 0;
}

int hollowway_stop_remote_forward(void (*callback)(unsigned short code))
{
    hollowway::tunnel::remote_forward_stopped_handler handler;
    // A null callback is a caller's fault; the session is still ended, nothing is called.
    if (callback)
        handler = [callback](std::error_code code) { on_remote_forward_stoped(callback, code); };
    const bool stopped = hollowway::tunnel::instance().stop_remote_forward(std::move(handler));
    set_last_error(std::error_code(0, std::system_category()));
    return stopped ? 1 : 0;
}

void hollowway_set_status_callback(void (*callback)(hollowway_status status))
{
    hollowway::tunnel::instance().set_state_change_handler(
        [callback](hollowway::tunnel::tunnel_state state) { on_state_changed(callback, state); });
}

void hollowway_set_logger(void (*logger)(const char* line))
{
    utils::log::instance().set_logger(logger);
}

const char* hollowway_last_error(void)
{
    g_last_error_text = g_last_error.message();
    return g_last_error_text.c_str();
}

void hollowway_traffic_stats(unsigned long long* incoming, unsigned long long* outgoing)
{
    network::utils::traffic_stats::instance().read(incoming, outgoing);
}

void hollowway_enable_traffic_stats(void)
{
    network::utils::traffic_stats::instance().set_enabled(1);
}

void hollowway_disable_traffic_stats(void)
{
    network::utils::traffic_stats::instance().set_enabled(0);
}

void hollowway_reset_traffic_stats(void)
{
    network::utils::traffic_stats::instance().reset();
}

} // extern "C"
