#pragma once

#include "common/ftpgetter.h"

#include <QMap>
#include <QObject>
#include <QString>

#include <memory>

namespace Core {
class StatusConfigParser;
}
namespace Gui {
class CheckVersionWindow;
}

// The updater's run: fetch the status file, then answer a version check through the exit
// code, or tell the user about a newer version and start the client again.
class UpdateQv : public QObject
{
    Q_OBJECT

public:
    explicit UpdateQv(QObject* parent = nullptr);
    ~UpdateQv() override;

    bool init();
    bool checkVersion(const QString& version, bool silent);
    bool update(const QString& version);
    QString errorString() const { return m_errorString; }

public slots:
    void compareVersions();
    void processFtpError();
    void continueUpdate();
    void runClientWoUpdAndQuit();
    void setCheckVerWindowMessage(Network::Action action);

private:
    // Ends the process at once, from wherever it is called.
    [[noreturn]] void terminate(int code);
    bool queueStatusFile();

    QString m_currentVersion;
    std::unique_ptr<Network::FtpGetter> m_ftpGetter;
    std::unique_ptr<Core::StatusConfigParser> m_statusConfig;
    std::unique_ptr<Gui::CheckVersionWindow> m_checkVersionWindow;
    QString m_errorString;
    QMap<int, QString> m_actionTexts;
    QMap<int, QString> m_errorTexts;
};
