#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What the SSH driver does differently per operating system; one implementation file per
// platform is chosen by the build.
namespace hollowway::platform {

// Client options that exist on this platform only; they go right after the host-key options.
std::vector<std::string> extra_ssh_options();

// A descriptor that polls readable once `child` has ended (the child stays uncollected),
// or -1 when the system offers none; then the driver polls with a short time-out instead.
int watch_child(pid_t child);
// Signals the child behind `watch` (or `child` when there is no watch descriptor).
bool signal_child(int watch, pid_t child, int signal_number);

// Whether `child` itself holds the listening socket on 127.0.0.1:`port`, so that a foreign
// listener on the port is not taken for the tunnel. Where the system cannot tell, any
// listener counts.
bool child_owns_listener(pid_t child, unsigned short port);

} // namespace hollowway::platform
