#include "torrent/client/clienthelper.h"

#include "torrent/client/clienttype.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Torrent::Client {

namespace {

constexpr int ProcessWaitMs = 30000;

bool readWhole(const QString& path, QByteArray* content, QString* why)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("unable to read \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    *content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *why = QStringLiteral("unable to read \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Writes the content to a temporary file beside `file`'s target; nothing replaces the
// target before commit().
bool stage(QSaveFile& file, const QByteArray& content, QString* why)
{
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        *why = QStringLiteral("unable to write a copy for \"%1\": %2").arg(file.fileName(), file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool commit(QSaveFile& file, QString* why)
{
    if (!file.commit()) {
        *why = QStringLiteral("unable to replace \"%1\": %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

// A whole-file copy that replaces the target in one rename, or leaves it untouched.
bool copyInto(const QString& from, const QString& to, QString* why)
{
    QByteArray content;
    if (!readWhole(from, &content, why))
        return false;
    QSaveFile target(to);
    return stage(target, content, why) && commit(target, why);
}

} // namespace

ClientHelper::ClientHelper(const QString& appConfigDirPath, const QString& folderName)
    : m_processProber(std::make_unique<Sys::ProcessProber>())
{
    if (!appConfigDirPath.isEmpty())
        m_configsDirPath = appConfigDirPath + QLatin1Char('/') + folderName.toLower();
}

ClientHelper::~ClientHelper()
{
    stopOwnProcess();
}

void ClientHelper::stopOwnProcess()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(ProcessWaitMs);
    }
    m_process.reset();
}

bool ClientHelper::init()
{
    if (!checkConfigFile())
        return false;
    if (!populateData()) {
        if (m_error == 0)
            m_error = 6;
        if (m_errorString.isEmpty())
            m_errorString = QStringLiteral("Populate data error");
        return false;
    }
    const QString dir = configsDirPath();
    if (dir.isEmpty() || (!QFileInfo(dir).isDir() && !QDir().mkpath(dir))) {
        setError(2, QStringLiteral("Unable to create directory ") + dir);
        return false;
    }
    return true;
}

bool ClientHelper::isAppExecuted()
{
    if (!m_processProber->refreshProcessList()) {
        setError(4, QStringLiteral("Unable to refresh process list"));
        return false;
    }
    return m_processProber->exists(m_processName);
}

bool ClientHelper::isAppInstalled() const
{
    return !m_appFilePath.isEmpty() && !m_configFilePath.isEmpty() && QFileInfo::exists(m_appFilePath);
}

bool ClientHelper::execClient()
{
    if (m_appFilePath.isEmpty() || isAppExecuted())
        return false;
    stopOwnProcess();
    m_process = std::make_unique<QProcess>();
    m_process->setWorkingDirectory(m_appDirPath);
    // The bundle's main executable, which is also the name the process is listed under;
    // starting the bundle itself does the same on macOS.
    m_process->setProgram(m_processName);
    m_process->start(QIODevice::ReadWrite);
    m_process->waitForStarted(ProcessWaitMs);
    return isAppExecuted();
}

bool ClientHelper::setConfig(int current, int wanted)
{
    const QString settings = m_configFilePath;
    const QString userCopy = userConfigFilePath();
    const QString privacyCopy = privacyConfigFilePath();
    if (settings.isEmpty() || userCopy.isEmpty() || privacyCopy.isEmpty()) {
        setError(1, QStringLiteral("Client config file does not exist"));
        return false;
    }
    QString why;
    if (!QFileInfo::exists(settings)) {
        if (QFileInfo::exists(userCopy)) {
            qWarning() << "Torrent client config file does not exist; recover from .orig now";
            if (!copyInto(userCopy, settings, &why))
                qWarning().noquote() << "Unable to recover the client config file:" << why;
        }
        setError(1, QStringLiteral("Client config file does not exist"));
        return false;
    }
    if (!QFileInfo::exists(userCopy) || !QFileInfo::exists(privacyCopy))
        return firstUse(userCopy, privacyCopy);
    if (current == wanted)
        return true;
    // Both types are checked before anything is touched.
    for (const int type : {current, wanted}) {
        if (type != UserConfig && type != PrivacyConfig) {
            setError(1, QStringLiteral("Unknown config type %1").arg(type));
            return false;
        }
    }
    const QString savedCopy = current == PrivacyConfig ? privacyCopy : userCopy;
    const QString installedCopy = wanted == PrivacyConfig ? privacyCopy : userCopy;

    QByteArray inPlace, replacement, previous;
    if (!readWhole(settings, &inPlace, &why) || !readWhole(installedCopy, &replacement, &why)
        || !readWhole(savedCopy, &previous, &why)) {
        setError(1, QStringLiteral("Unable to read the client config files; ") + why);
        return false;
    }
    // Both new files are complete on disk before either replaces anything.
    QSaveFile saved(savedCopy);
    QSaveFile installed(settings);
    if (!stage(saved, inPlace, &why) || !stage(installed, replacement, &why)) {
        saved.cancelWriting();
        installed.cancelWriting();
        setError(1, QStringLiteral("Unable to prepare the client config swap; ") + why);
        return false;
    }
    if (!commit(saved, &why)) {
        installed.cancelWriting();
        setError(1, QStringLiteral("Unable to save the current client config file; ") + why);
        return false;
    }
    if (!commit(installed, &why)) {
        QString undoWhy;
        QSaveFile undo(savedCopy);
        if (!stage(undo, previous, &undoWhy) || !commit(undo, &undoWhy))
            qWarning().noquote() << "Unable to restore" << savedCopy << ":" << undoWhy;
        setError(1, QStringLiteral("Unable to put the client config file in place; ") + why);
        return false;
    }
    return true;
}

bool ClientHelper::firstUse(const QString& userCopy, const QString& privacyCopy)
{
    // Both copies start as the file in place; that file itself stays as it is.
    QString why;
    QStringList made;
    for (const QString& copy : {userCopy, privacyCopy}) {
        if (QFileInfo::exists(copy))
            continue;
        if (!copyInto(m_configFilePath, copy, &why)) {
            // Half a first use is undone, so the next attempt starts from the same state.
            for (const QString& path : made)
                QFile::remove(path);
            setError(1, QStringLiteral("Unable to create the copies of the client config file; ") + why);
            return false;
        }
        made << copy;
    }
    return true;
}

QString ClientHelper::userConfigFilePath()
{
    return customConfigFilePath(QString::fromLatin1(UserConfigFileExt));
}

QString ClientHelper::privacyConfigFilePath()
{
    return customConfigFilePath(QString::fromLatin1(PrivacyConfigFileExt));
}

QString ClientHelper::customConfigFilePath(const QString& extension)
{
    if (m_configFileName.isEmpty()) {
        setError(5, QStringLiteral("Empty param \"config file name\""));
        return QString();
    }
    return configsDirPath() + QLatin1Char('/') + m_configFileName + QLatin1Char('.') + extension;
}

QString ClientHelper::configsDirPath() const
{
    return m_configsDirPath;
}

void ClientHelper::setError(int code, const QString& message)
{
    m_error = code;
    m_errorString = message;
}

} // namespace Torrent::Client
