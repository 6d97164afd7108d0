#pragma once

#include "sys/processproberbase.h"

namespace Sys {

// Reads the system's process list command and ends processes with the interrupt signal.
class ProcessProber : public ProcessProberBase
{
public:
    // How long terminateByPid() waits for the process to end after the signal.
    explicit ProcessProber(int terminateWaitMs = 5000) : m_terminateWaitMs(terminateWaitMs) {}

    bool refreshProcessList() override;
    // Sends SIGINT and answers true only when the process has ended within the wait; a
    // process that ignores the signal gives false (error 6) instead of a hang.
    bool terminateByPid(int pid) override;

    // The command text under which the listing command shows itself.
    static QString listingCommandText();
    // Rebuilds the list from the output of the listing command.
    bool parseListing(const QByteArray& output);

private:
    static bool isRunning(int pid);

    int m_terminateWaitMs;
};

} // namespace Sys
