#include "paxwellclient.h"
#include "startup.h"

#include "common/singleapplication.h"

#include <QDebug>

#include <cstring>

namespace {

// The first argument that is not "--debug": a torrent file to hand to the running copy.
QString startMessage(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--debug") != 0)
            return QString::fromLocal8Bit(argv[i]);
    }
    return QString();
}

bool hasDebugFlag(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--debug") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    Common::SingleApplication app(QStringLiteral("Corvalis"), argc, argv);
    const QString message = startMessage(argc, argv);
    if (app.sendMessage(message, 5000)) {
        qDebug("There is already exists one instance of application");
        return 0;
    }
    if (app.isRunning())
        return 0;

    Startup::init(hasDebugFlag(argc, argv));

    QApplication::setQuitOnLastWindowClosed(true);
    if (!Startup::checkTrayAvailability())
        return 1;
    if (!Startup::checkAppDataAvailability())
        return 1;
    QApplication::setQuitOnLastWindowClosed(false);

    PaxwellClient client;
    QObject::connect(&app, &Common::SingleApplication::messageReceived, &client,
                     &PaxwellClient::handleMessage);
    if (!client.exec())
        return 1;
    client.handleMessage(message);
    return app.exec();
}
