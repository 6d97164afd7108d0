#include "updateqv.h"

#include "common/commonglobal.h"
#include "common/singleapplication.h"
#include "core/global.h"
#include "core/statusconfigparser.h"
#include "gui/checkversionwindow.h"
#include "gui/messageboxes.h"
#include "util/graphics/graphics.h"
#include "util/ver.h"

#include <QApplication>
#include <QUrl>

#include <cstdlib>

UpdateQv::UpdateQv(QObject* parent)
    : QObject(parent),
      m_ftpGetter(std::make_unique<Network::FtpGetter>()),
      m_statusConfig(std::make_unique<Core::StatusConfigParser>())
{
    m_actionTexts = {
        {Network::ConnectAction, tr("Connecting to ftp-server...")},
        {Network::LoginAction, tr("Login to ftp-server...")},
        {Network::ChangeDirAction, tr("Changing directory on ftp-server...")},
        {Network::GetFileAction, tr("Getting file...")},
        {Network::CloseAction, tr("Closing connection...")},
    };
    m_errorTexts = {
        {Network::FtpGetter::UnknownError, tr("Unknown error")},
        {Network::FtpGetter::ConnectError, tr("Connection error")},
        {Network::FtpGetter::LoginError, tr("Login error")},
        {Network::FtpGetter::ChangeDirError, tr("Error when changing directory")},
        {Network::FtpGetter::GetFileError, tr("Error when getting file")},
        {Network::FtpGetter::CloseError, tr("Connection closing error")},
    };
    connect(m_ftpGetter.get(), &Network::FtpGetter::errorOccurred, this, &UpdateQv::processFtpError);
}

UpdateQv::~UpdateQv() = default;

bool UpdateQv::init()
{
    if (!m_ftpGetter->setDownloadDir(Core::Global::appTempDirPath())) {
        Gui::MessageBoxes::critical(tr("Unable to set download dir"));
        runClientWoUpdAndQuit();
    }
    m_ftpGetter->open(CommonGlobal::ftpParams());
    m_ftpGetter->cd(Core::Global::qvRootDir());
    return true;
}

bool UpdateQv::queueStatusFile()
{
    // The status file lands in the download folder under its own name.
    if (!m_ftpGetter->getFile(Core::Global::statusFileName(), QString())) {
        m_errorString = m_ftpGetter->errorString();
        return false;
    }
    return true;
}

bool UpdateQv::checkVersion(const QString& version, bool silent)
{
    m_currentVersion = version;
    if (!Core::Global::prepareTempStorage()) {
        m_errorString = tr("Unable to prepare temp storage dir");
        return false;
    }
    m_checkVersionWindow = std::make_unique<Gui::CheckVersionWindow>();
    if (auto* app = qobject_cast<Common::SingleApplication*>(QCoreApplication::instance()))
        app->setActivationWindow(m_checkVersionWindow.get());
    m_checkVersionWindow->setWindowTitle(tr("Paxwell Updater"));
    m_checkVersionWindow->setMessage(tr("Preparing for check version..."));

    connect(m_ftpGetter.get(), &Network::FtpGetter::fileRetrieved, this, &UpdateQv::compareVersions);
    connect(m_ftpGetter.get(), &Network::FtpGetter::actionChanged, this,
            &UpdateQv::setCheckVerWindowMessage);

    Util::Graphics::moveWindowToCenter(m_checkVersionWindow.get(), QPoint(0, -110));
    if (!silent)
        m_checkVersionWindow->show();
    return queueStatusFile();
}

void UpdateQv::setCheckVerWindowMessage(Network::Action action)
{
    if (m_checkVersionWindow)
        m_checkVersionWindow->setMessage(m_actionTexts.value(action));
}

void UpdateQv::compareVersions()
{
    if (!m_statusConfig->read(Core::Global::statusFilePath())) {
        Gui::MessageBoxes::critical(
            tr("Unable to read status file config: %1").arg(m_statusConfig->errorString()));
        runClientWoUpdAndQuit();
    }
    const bool newer = Util::Ver::isNewerVer(m_statusConfig->actualVersion(), m_currentVersion);
    terminate(newer ? CommonGlobal::DifferentVerExitCode : CommonGlobal::SameVerExitCode);
}

bool UpdateQv::update(const QString& version)
{
    m_currentVersion = version;
    if (!Core::Global::prepareTempStorage()) {
        m_errorString = tr("Unable to prepare temp storage dir");
        return false;
    }
    connect(m_ftpGetter.get(), &Network::FtpGetter::fileRetrieved, this, &UpdateQv::continueUpdate);
    return queueStatusFile();
}

void UpdateQv::continueUpdate()
{
    disconnect(m_ftpGetter.get(), &Network::FtpGetter::fileRetrieved, this,
               &UpdateQv::continueUpdate);
    if (!m_ftpGetter->setDownloadDir(Core::Global::appTempRepoPath())) {
        Gui::MessageBoxes::critical(tr("Unable to set download dir"));
        runClientWoUpdAndQuit();
    }
    m_statusConfig = std::make_unique<Core::StatusConfigParser>();
    if (!m_statusConfig->read(Core::Global::statusFilePath())) {
        Gui::MessageBoxes::critical(
            tr("Unable to read status config: %1").arg(m_statusConfig->errorString()));
        runClientWoUpdAndQuit();
    }
    const QString actual = m_statusConfig->actualVersion();
    // Only a newer release is worth the user's attention; a server that lags behind the
    // installed version (or names one that does not parse) offers nothing to download.
    if (m_currentVersion == actual || !Util::Ver::isNewerVer(actual, m_currentVersion))
        runClientWoUpdAndQuit();

    const QUrl site(CommonGlobal::webBaseUrl());
    const QString link = QStringLiteral("<a href=\"%1\">%2</a>")
                             .arg(site.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                  site.host().toHtmlEscaped());
    Gui::MessageBoxes::information(
        tr("Corvalis"), tr("New version available for download on our site %1.").arg(link),
        Qt::RichText);
    runClientWoUpdAndQuit();
}

void UpdateQv::processFtpError()
{
    QString text;
    const int code = m_ftpGetter->error();
    if (code != Network::FtpGetter::NoError)
        text = m_errorTexts.value(code);
    if (!m_ftpGetter->errorString().isEmpty())
        text += QStringLiteral(": ") + m_ftpGetter->errorString();
    Gui::MessageBoxes::critical(text);
    runClientWoUpdAndQuit();
}

void UpdateQv::runClientWoUpdAndQuit()
{
    if (!Core::Global::runClientAppWoUpdate())
        qWarning() << "Unable to start the client";
    terminate(0);
}

void UpdateQv::terminate(int code)
{
    QCoreApplication::exit(code);
    QCoreApplication::processEvents();
    std::exit(code);
}
