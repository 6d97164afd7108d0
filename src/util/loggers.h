#pragma once

#include <QString>
#include <QtGlobal>

namespace Util {
class LogWriter;
}

// The application log (every Qt diagnostic) and the tunnel library's log.
Util::LogWriter& gAppLogger();
Util::LogWriter& gLibLogger();

// Installed with qInstallMessageHandler: drops repeats and known noise, aborts on fatal.
void msgHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);
// Registered with the tunnel library; called from its threads with one line per call.
extern "C" void libMsgHandler(const char* message);
