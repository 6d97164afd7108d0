#include "startup.h"

#include "core/global.h"
#include "sys/pathprober.h"
#include "util/loggers.h"
#include "util/logwriter.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QStyleFactory>
#include <QSystemTrayIcon>

namespace Startup {

void init(bool debug)
{
    // Qt 6 already takes C strings and translations as UTF-8.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/appicon/appicon.icns")));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    adjustLoggers(debug);
}

bool adjustLoggers(bool debug)
{
    bool ok = false;
    QString base = Sys::PathProber().programDataPath(&ok);
    if (!ok) {
        qWarning("Unable to retrieve ProgramData path");
        return false;
    }
    base.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const Core::Global global;
    const QString folder = base + QLatin1Char('/') + global.appName() + QLatin1Char('/');
    const QString appLogPath = folder + global.appLogFileName();
    const QString libLogPath = folder + global.libLogFileName();
    for (const QString& path : {appLogPath, libLogPath}) {
        if (QFileInfo::exists(path))
            QFile::remove(path);
    }

    Util::LogWriter& app = gAppLogger();
    app.setFilePath(appLogPath);
    app.setHeader(Util::LogWriter::DateTimeHeader | Util::LogWriter::LevelHeader);

    Util::LogWriter& lib = gLibLogger();
    lib.setFilePath(libLogPath);
    lib.setHeader(Util::LogWriter::DateTimeHeader);
    lib.setLevel(debug ? QtDebugMsg : QtWarningMsg);
    return true;
}

bool checkTrayAvailability()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        return true;
    const QString text = QApplication::translate("PaxwellClient", "Couldn't detect any system tray on this system.");
    qWarning("Couldn't detect any system tray on this system.");
    QMessageBox::critical(nullptr, QApplication::translate("PaxwellClient", "Systray"), text, QMessageBox::Ok);
    return false;
}

bool checkAppDataAvailability()
{
    const QString dir = Core::Global().appConfigDirPath();
    for (const QString& name : {Core::UserSettingsFileName, Core::AppSettingsFileName,
                                Core::TorrentSettingsFileName}) {
        if (dir.isEmpty() || !QFileInfo::exists(dir + QDir::separator() + name)) {
            QMessageBox::critical(nullptr, QApplication::translate("PaxwellClient", "Error"),
                                  QApplication::translate("PaxwellClient", "Unable to retrieve app data path"),
                                  QMessageBox::Ok);
            return false;
        }
    }
    return true;
}

} // namespace Startup
