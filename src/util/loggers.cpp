#include "util/loggers.h"

#include "util/logwriter.h"

#include <QMutex>

#include <cstdlib>

Util::LogWriter& gAppLogger()
{
    static Util::LogWriter writer;
    return writer;
}

Util::LogWriter& gLibLogger()
{
    static Util::LogWriter writer;
    return writer;
}

void msgHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    static QMutex previousMutex;
    static QString previous;
    {
        QMutexLocker lock(&previousMutex);
        if (message == previous)
            return;
        // A filtered message still counts as the previous one.
        previous = message;
    }
    if (message.startsWith(QLatin1String("libpng warning: Interlace handling"))
        || message.startsWith(QLatin1String("QCocoaView handleTabletEvent:")))
        return;
    gAppLogger().write(message, type);
    if (type == QtFatalMsg)
        std::abort();
}

extern "C" void libMsgHandler(const char* message)
{
    gLibLogger().write(QString::fromUtf8(message ? message : ""), QtDebugMsg);
}
