#pragma once

// Process-wide set-up of the main program, run before any window exists.
namespace Startup {

// Icon, style and both log writers. `debug` lets the tunnel library's lines into its log.
void init(bool debug);
// Empties the previous run's logs and points both writers at this run's files.
bool adjustLoggers(bool debug);
// The program lives in the tray; without one it cannot run.
bool checkTrayAvailability();
// The three settings files must exist before the first start.
bool checkAppDataAvailability();

} // namespace Startup
