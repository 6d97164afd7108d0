#ifndef HOLLOWWAY_HOLLOWWAY_H
#define HOLLOWWAY_HOLLOWWAY_H

/* libhollowway: one SSH session that forwards 127.0.0.1:26268 to the SOCKS proxy on port
 * 1080 of a tunnel server. Functions return 0 on success and 1 on failure unless noted;
 * hollowway_last_error() tells why. Callbacks run on the library's session thread. */

#if defined(HOLLOWWAY_BUILDING)
#define HOLLOWWAY_EXPORT __attribute__((visibility("default")))
#else
#define HOLLOWWAY_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef enum hollowway_status {
    HOLLOWWAY_STATUS_DISCONNECTED = 1,
    HOLLOWWAY_STATUS_CONNECTING = 2,
    HOLLOWWAY_STATUS_RESERVED = 3,
    HOLLOWWAY_STATUS_CONNECTED = 4
} hollowway_status;

HOLLOWWAY_EXPORT int hollowway_set_params(const char* host, unsigned short port,
                                          unsigned short max_sessions, const char* user,
                                          const char* password);
HOLLOWWAY_EXPORT int hollowway_start_local_forward(unsigned short* port);
HOLLOWWAY_EXPORT void hollowway_stop_local_forward(void);
HOLLOWWAY_EXPORT int hollowway_start_remote_forward(void (*callback)(unsigned short port));
HOLLOWWAY_EXPORT int hollowway_stop_remote_forward(void (*callback)(unsigned short code));
HOLLOWWAY_EXPORT void hollowway_set_status_callback(void (*callback)(hollowway_status status));
HOLLOWWAY_EXPORT void hollowway_set_logger(void (*logger)(const char* line));
/* Valid until the next call. */
HOLLOWWAY_EXPORT const char* hollowway_last_error(void);

HOLLOWWAY_EXPORT void hollowway_traffic_stats(unsigned long long* incoming,
                                              unsigned long long* outgoing);
HOLLOWWAY_EXPORT void hollowway_enable_traffic_stats(void);
HOLLOWWAY_EXPORT void hollowway_disable_traffic_stats(void);
HOLLOWWAY_EXPORT void hollowway_reset_traffic_stats(void);

#ifdef __cplusplus
}
#endif

#endif /* HOLLOWWAY_HOLLOWWAY_H */
