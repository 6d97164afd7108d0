#pragma once

#include "sys/processprober.h"

#include <QProcess>
#include <QString>

#include <memory>

namespace Torrent::Client {

// Where an external client and its settings file live, whether it is installed and
// running, how to start it, and the swap of its settings file between the user's own copy
// and the privacy copy.
class ClientHelper
{
public:
    // The two copies of the settings file.
    static constexpr char UserConfigFileExt[] = "user";
    static constexpr char PrivacyConfigFileExt[] = "priv";

    virtual ~ClientHelper();
    ClientHelper(const ClientHelper&) = delete;
    ClientHelper& operator=(const ClientHelper&) = delete;

    virtual bool init();
    virtual QString configFilePath() const { return m_configFilePath; }
    virtual QString processName() const { return m_processName; }
    virtual QString appFilePath() const { return m_appFilePath; }
    virtual QString appDirPath() const { return m_appDirPath; }
    virtual bool isAppExecuted();
    virtual bool isAppInstalled() const;
    virtual QString clientName() const { return m_clientName; }
    virtual bool execClient();
    // Saves the file in place as the `current` copy and puts the `wanted` copy in its place.
    // On any failure both the settings file and the copies stay as they were.
    virtual bool setConfig(int current, int wanted);

    QString userConfigFilePath();
    QString privacyConfigFilePath();
    QString customConfigFilePath(const QString& extension);
    // The folder of this client's two copies inside the application's configuration folder.
    QString configsDirPath() const;

    int error() const { return m_error; }
    QString errorString() const { return m_errorString; }

protected:
    // `appConfigDirPath` is the application's configuration folder; `folderName` names this
    // client's folder of copies inside it.
    ClientHelper(const QString& appConfigDirPath, const QString& folderName);

    virtual bool checkConfigFile() { return true; }
    virtual bool populateData() = 0;

    void setError(int code, const QString& message);

    QString m_configFileName;
    QString m_configFilePath;
    QString m_appFilePath;
    QString m_appDirPath;
    QString m_clientName;
    QString m_processName;
    int m_error = 0;
    QString m_errorString;
    std::unique_ptr<Sys::ProcessProber> m_processProber;
    std::unique_ptr<QProcess> m_process;

private:
    bool firstUse(const QString& userCopy, const QString& privacyCopy);
    void stopOwnProcess();

    QString m_configsDirPath;
};

} // namespace Torrent::Client
