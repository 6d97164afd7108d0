#pragma once

// The SSH process driver: one `/usr/bin/ssh` session at a time on a pseudo-terminal, its
// password typed at the prompt, its end reported to hollowway::tunnel.
namespace hollowway {

// Starts a session with the tunnel's stored parameters; the caller holds the tunnel lock.
int runSshProgram();
// Ends the running session: termination code 1 and SIGQUIT to its child, if the child has
// not been collected yet. Takes no tunnel lock.
void stop_ssh_session();
// Whether the current session has not yet reported its end.
bool ssh_session_alive();

} // namespace hollowway
