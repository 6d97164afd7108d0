#pragma once

#include "common/commonglobal.h"
#include "common/ftpgetterworker.h"

#include <QObject>
#include <QQueue>
#include <QString>
#include <QThread>

#include <map>
#include <memory>

class QFile;

namespace Network {

Q_NAMESPACE

// The stage of a download that FtpGetter::actionChanged reports.
enum Action {
    ConnectAction = 1,
    LoginAction = 2,
    ChangeDirAction = 3,
    GetFileAction = 4,
    CloseAction = 5,
};
Q_ENUM_NS(Action)

// Downloads files from an FTP server into a local folder. The calls only queue commands;
// the queue runs one command at a time on a worker thread over a single control connection,
// so the owner's thread never waits for the network. Outcomes arrive as signals.
class FtpGetter : public QObject
{
    Q_OBJECT

public:
    enum Error {
        NoError = 0,
        UnknownError = 1,
        ConnectError = 2,
        LoginError = 3,
        ChangeDirError = 4,
        GetFileError = 5,
        CloseError = 6,
    };
    Q_ENUM(Error)

    // The pair kept per queued download: the open local file and its name below the folder.
    struct File
    {
        std::unique_ptr<QFile> file;
        QString localName;
    };

    explicit FtpGetter(QObject* parent = nullptr);
    ~FtpGetter() override;

    bool setDownloadDir(const QString& path);
    QString downloadDir() const { return m_downloadDir; }

    void open(const CommonGlobal::FtpParams& params);
    void cd(const QString& folder);
    // An empty localName stores the file under remoteName.
    bool getFile(const QString& remoteName, const QString& localName = QString());
    void close();

    Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }

signals:
    void errorOccurred();
    void actionChanged(Network::Action action);
    void fileCopyStarted(const QString& localName);
    void fileRetrieved(const QString& localName);
    // All queued commands have finished; true when the last one failed.
    void done(bool failed);
    void progressChanged(qint64 done, qint64 total);

public slots:
    void processCommandStarted(int id);
    void processCommandFinished(int id, bool failed);

private:
    int enqueue(FtpCommand command);
    void runNext();
    void handleFinished(int id, bool failed, const QString& errorText);
    void discardFile(int id);

    QString m_downloadDir;
    QString m_errorString;
    Error m_error = NoError;

    QThread m_thread;
    FtpGetterWorker* m_worker = nullptr;
    QQueue<FtpCommand> m_pending;
    bool m_busy = false;
    bool m_connected = false;
    int m_nextId = 1;

    int m_connectId = 0;
    int m_loginId = 0;
    int m_cdId = 0;
    int m_closeId = 0;
    std::map<int, File> m_files;
    QString m_lastFolder;
    QString m_lastWorkerError;
};

} // namespace Network
