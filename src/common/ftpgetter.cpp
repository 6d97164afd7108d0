#include "common/ftpgetter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Network {

FtpGetter::FtpGetter(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<Network::FtpCommand>();
    m_worker = new FtpGetterWorker;
    m_worker->moveToThread(&m_thread);
    connect(m_worker, &FtpGetterWorker::commandStarted, this, &FtpGetter::processCommandStarted);
    connect(m_worker, &FtpGetterWorker::commandFinished, this,
            [this](int id, bool failed, const QString& errorText) {
                m_lastWorkerError = errorText;
                processCommandFinished(id, failed);
            });
    connect(m_worker, &FtpGetterWorker::progressChanged, this, &FtpGetter::progressChanged);
    m_thread.start();
}

FtpGetter::~FtpGetter()
{
    // Pending commands are dropped; a running transfer gives up at libcurl's next call-back,
    // and the session is closed on the worker's own thread.
    m_pending.clear();
    m_worker->abort();
    QMetaObject::invokeMethod(m_worker, &FtpGetterWorker::shutdown, Qt::QueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
    m_files.clear();
}

bool FtpGetter::setDownloadDir(const QString& path)
{
    m_downloadDir = path;
    QFileInfo info(path);
    if (!info.isDir() && !QDir().mkpath(path)) {
        m_errorString = tr("Unable to make path for download dir");
        return false;
    }
    return true;
}

void FtpGetter::open(const CommonGlobal::FtpParams& params)
{
    FtpCommand command;
    command.kind = FtpCommand::Open;
    command.host = params.host;
    command.port = params.port;
    command.user = params.user;
    command.password = params.password;
    command.id = m_nextId++;
    command.loginId = m_nextId++;
    m_connectId = command.id;
    m_loginId = command.loginId;
    enqueue(command);
}

void FtpGetter::cd(const QString& folder)
{
    m_lastFolder = folder;
    FtpCommand command;
    command.kind = FtpCommand::Cd;
    command.path = folder;
    m_cdId = enqueue(command);
}

void FtpGetter::close()
{
    FtpCommand command;
    command.kind = FtpCommand::Close;
    m_closeId = enqueue(command);
}

bool FtpGetter::getFile(const QString& remoteName, const QString& localName)
{
    if (m_downloadDir.isEmpty()) {
        m_errorString = tr("Download dir field is empty");
        return false;
    }
    const QString name = localName.isEmpty() ? remoteName : localName;
    // The name always lies below the download folder, also when it starts with a slash (an
    // absolute remote name); a name from elsewhere must not climb out of that folder.
    QString relative = name;
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    const QString cleaned = QDir::cleanPath(relative);
    if (relative.isEmpty() || cleaned == QLatin1String("..")
        || cleaned.startsWith(QLatin1String("../"))) {
        m_errorString = tr("Unable to create dir for getting file");
        return false;
    }
    const QString folderPart = QFileInfo(cleaned).path();
    if (folderPart != QLatin1String(".")
        && !QDir().mkpath(m_downloadDir + QLatin1Char('/') + folderPart)) {
        m_errorString = tr("Unable to create dir for getting file");
        return false;
    }
    auto file = std::make_unique<QFile>(m_downloadDir + QLatin1Char('/') + cleaned);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_errorString = tr("Unable to open file for write: ") + file->errorString();
        return false;
    }
    FtpCommand command;
    command.kind = FtpCommand::Get;
    command.path = remoteName;
    command.file = file.get();
    const int id = m_nextId++;
    command.id = id;
    m_files.emplace(id, File{std::move(file), name});
    m_pending.enqueue(command);
    runNext();
    return true;
}

int FtpGetter::enqueue(FtpCommand command)
{
    if (!command.id)
        command.id = m_nextId++;
    const int id = command.id;
    m_pending.enqueue(command);
    runNext();
    return id;
}

void FtpGetter::runNext()
{
    if (m_busy || m_pending.isEmpty())
        return;
    m_busy = true;
    const FtpCommand command = m_pending.dequeue();
    QMetaObject::invokeMethod(m_worker, "run", Qt::QueuedConnection,
                              Q_ARG(Network::FtpCommand, command));
}

void FtpGetter::processCommandStarted(int id)
{
    if (id == m_connectId) {
        emit actionChanged(ConnectAction);
    } else if (id == m_loginId) {
        emit actionChanged(LoginAction);
    } else if (id == m_cdId) {
        emit actionChanged(ChangeDirAction);
    } else if (m_files.count(id)) {
        emit actionChanged(GetFileAction);
        emit fileCopyStarted(m_files.at(id).localName);
    } else if (id == m_closeId) {
        emit actionChanged(CloseAction);
    }
}

void FtpGetter::processCommandFinished(int id, bool failed)
{
    // A successful connect is only the first half of the open command on the worker.
    const bool commandEnds = !(id == m_connectId && !failed);
    if (failed) {
        m_errorString = m_lastWorkerError;
        if (id == m_connectId)
            m_error = ConnectError;
        else if (id == m_loginId)
            m_error = LoginError;
        else if (id == m_cdId)
            m_error = ChangeDirError;
        else if (m_files.count(id))
            m_error = GetFileError;
        else if (id == m_closeId)
            m_error = CloseError;
        else
            m_error = UnknownError;
        discardFile(id); // the partial file stays on disk
        // As with a failed FTP session, the rest of the queue is dropped.
        for (const FtpCommand& pendingCommand : std::as_const(m_pending))
            discardFile(pendingCommand.id);
        m_pending.clear();
        m_busy = false;
        emit errorOccurred();
        emit done(true);
        return;
    }
    if (m_files.count(id)) {
        const QString localName = m_files.at(id).localName;
        discardFile(id);
        emit fileRetrieved(localName);
    }
    if (!commandEnds)
        return;
    m_busy = false;
    if (m_pending.isEmpty())
        emit done(false);
    else
        runNext();
}

void FtpGetter::discardFile(int id)
{
    auto it = m_files.find(id);
    if (it == m_files.end())
        return;
    it->second.file->close();
    m_files.erase(it);
}

} // namespace Network
