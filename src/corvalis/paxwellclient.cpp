#include "paxwellclient.h"

#include "core/applicationsettings.h"
#include "core/global.h"
#include "core/torrentsettings.h"
#include "core/usersettings.h"
#include "util/graphics/graphics.h"
#include "util/loggers.h"

#include <hollowway/hollowway.h>

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFontDatabase>
#include <QMessageBox>

PaxwellClient::PaxwellClient(QObject* parent)
    : QObject(parent)
{
    if (QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Plumb-Regular.otf")) < 0)
        qWarning("Unable to load fonts");
    Util::Graphics::setStyleSheet(QStringLiteral(":/qss/qvclient.qss"), qApp);
}

PaxwellClient::~PaxwellClient()
{
    Core::TorrentSettings::freeInstance();
    Core::ApplicationSettings::freeInstance();
    Core::UserSettings::freeInstance();
}

bool PaxwellClient::exec()
{
    qInstallMessageHandler(msgHandler);
    hollowway_set_logger(libMsgHandler);
    if (!readUserSettings() || !readApplicationSettings() || !readTorrentSettings())
        return false;
    return true;
}

void PaxwellClient::handleMessage(const QString& message)
{
    if (message.isEmpty() || !Core::ApplicationSettings::instance()->generalParams().useBuiltinClient)
        return;
    qDebug() << "Torrent file to open:" << message;
}

QString PaxwellClient::settingsFilePath(const QString& fileName)
{
    return Core::Global().appConfigDirPath() + QDir::separator() + fileName;
}

bool PaxwellClient::readUserSettings()
{
    Core::UserSettings* settings = Core::UserSettings::instance();
    if (settings->open(settingsFilePath(Core::UserSettingsFileName)) && settings->read())
        return true;
    qWarning() << "Error: Unable to read user settings;" << settings->errorString();
    QMessageBox::critical(nullptr, tr("Error"), tr("Unable to read user settings file"), QMessageBox::Ok);
    return false;
}

bool PaxwellClient::readApplicationSettings()
{
    // A damaged file is rebuilt with defaults, so this never stops the start.
    return Core::ApplicationSettings::instance()->read(settingsFilePath(Core::AppSettingsFileName));
}

bool PaxwellClient::readTorrentSettings()
{
    Core::TorrentSettings* settings = Core::TorrentSettings::instance();
    if (settings->read(settingsFilePath(Core::TorrentSettingsFileName)))
        return true;
    qWarning().noquote() << "Error: Unable to read torrent clients settings;" << settings->errorsString();
    QMessageBox::critical(nullptr, tr("Error"), tr("Unable to read torrent clients settings file"),
                          QMessageBox::Ok);
    return false;
}
