#include "common/ftpgetterworker.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace Network {

namespace {

constexpr long connectTimeoutS = 30;
constexpr long responseTimeoutS = 60;
// A transfer that moves less than a byte a second for this long is given up.
constexpr long stallTimeoutS = 60;
constexpr long quitTimeoutS = 2;
constexpr qint64 progressIntervalMs = 100;

CURL* handle(void* p)
{
    return static_cast<CURL*>(p);
}

QByteArray encodedPath(const QString& path)
{
    QByteArray out;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (!out.isEmpty())
            out += '/';
        out += QUrl::toPercentEncoding(part);
    }
    return out;
}

} // namespace

FtpGetterWorker::FtpGetterWorker() : m_responseTimeoutS(responseTimeoutS)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

FtpGetterWorker::~FtpGetterWorker()
{
    shutdown();
}

void FtpGetterWorker::shutdown()
{
    if (m_curl) {
        // QUIT is a courtesy: a server that does not answer it must not hold up the end of
        // the session, nor the owner, which waits for this thread. libcurl closes the cached
        // connection with the time-outs of the handle's last transfer, so a last, empty one
        // (the current folder again, no body) carries the short limit.
        if (m_loggedIn) {
            m_responseTimeoutS = quitTimeoutS;
            QString ignored;
            perform(m_remoteDir, true, nullptr, &ignored);
            m_responseTimeoutS = responseTimeoutS;
        }
        curl_easy_cleanup(handle(m_curl)); // sends QUIT on a live connection
        m_curl = nullptr;
    }
    m_loggedIn = false;
}

void FtpGetterWorker::run(const FtpCommand& command)
{
    switch (command.kind) {
    case FtpCommand::Open:
        runOpen(command);
        break;
    case FtpCommand::Cd:
        runCd(command);
        break;
    case FtpCommand::Get:
        runGet(command);
        break;
    case FtpCommand::Close:
        runClose(command);
        break;
    }
}

void FtpGetterWorker::runOpen(const FtpCommand& command)
{
    shutdown();
    m_host = command.host;
    m_port = command.port;
    m_user = command.user;
    m_password = command.password;
    m_remoteDir.clear();

    emit commandStarted(command.id);
    m_curl = curl_easy_init();
    if (!m_curl) {
        emit commandFinished(command.id, true, QStringLiteral("Unable to initialise the FTP library"));
        return;
    }
    // The connect counts as done once the server greets; the login follows on the same
    // attempt, so its start is reported from the reply callback.
    m_greetingId = command.id;
    m_pendingLoginId = command.loginId;
    QString errorText;
    const bool ok = perform(QString(), true, nullptr, &errorText);
    if (m_greetingId) {
        m_greetingId = 0;
        emit commandFinished(command.id, true, errorText);
        shutdown();
        return;
    }
    m_loggedIn = ok;
    emit commandFinished(command.loginId, !ok, errorText);
    if (!ok)
        shutdown();
}

void FtpGetterWorker::runCd(const FtpCommand& command)
{
    emit commandStarted(command.id);
    if (!m_loggedIn) {
        emit commandFinished(command.id, true, QStringLiteral("Not connected"));
        return;
    }
    const QString folder = resolve(command.path);
    QString errorText;
    const bool ok = perform(folder, true, nullptr, &errorText);
    if (ok)
        m_remoteDir = folder;
    emit commandFinished(command.id, !ok, errorText);
}

void FtpGetterWorker::runGet(const FtpCommand& command)
{
    emit commandStarted(command.id);
    if (!m_loggedIn) {
        emit commandFinished(command.id, true, QStringLiteral("Not connected"));
        return;
    }
    QString errorText;
    const bool ok = perform(resolve(command.path), false, command.file, &errorText);
    emit commandFinished(command.id, !ok, errorText);
}

void FtpGetterWorker::runClose(const FtpCommand& command)
{
    emit commandStarted(command.id);
    shutdown();
    emit commandFinished(command.id, false, QString());
}

QString FtpGetterWorker::resolve(const QString& name) const
{
    if (name.startsWith(QLatin1Char('/')) || m_remoteDir.isEmpty())
        return name;
    return m_remoteDir + QLatin1Char('/') + name;
}

QByteArray FtpGetterWorker::urlFor(const QString& path, bool directory) const
{
    QUrl base;
    base.setScheme(QStringLiteral("ftp"));
    base.setHost(m_host);
    base.setPort(m_port);
    if (!base.isValid() || m_host.isEmpty())
        return QByteArray();
    QByteArray url = base.toEncoded() + '/';
    // An absolute folder needs an encoded leading slash, or it is taken relative to the
    // login folder.
    if (path.startsWith(QLatin1Char('/')))
        url += "%2F";
    url += encodedPath(path);
    if (directory && !url.endsWith('/'))
        url += '/';
    return url;
}

bool FtpGetterWorker::perform(const QString& path, bool directory, QFile* file,
                              QString* errorText)
{
    CURL* curl = handle(m_curl);
    const QByteArray url = urlFor(path, directory);
    if (url.isEmpty()) {
        *errorText = QStringLiteral("Invalid host name");
        return false;
    }
    char curlError[CURL_ERROR_SIZE] = {};
    const QByteArray user = m_user.toUtf8();
    const QByteArray password = m_password.toUtf8();

    m_lastReply.clear();
    m_writeError.clear();
    m_file = file;
    m_lastEmitMs = 0;
    m_lastDone = -1;

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectTimeoutS);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, m_responseTimeoutS);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stallTimeoutS);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(curl, CURLOPT_NOBODY, file ? 0L : 1L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &FtpGetterWorker::headerCallback);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &FtpGetterWorker::writeCallback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &FtpGetterWorker::progressCallback);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);

    const CURLcode rc = curl_easy_perform(curl);

    // The credentials stay in the handle only while a command runs.
    curl_easy_setopt(curl, CURLOPT_USERNAME, nullptr);
    curl_easy_setopt(curl, CURLOPT_PASSWORD, nullptr);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    m_file = nullptr;

    // Buffered data must reach the disk before the download counts as done.
    if (rc == CURLE_OK && file && !file->flush()) {
        *errorText = QStringLiteral("Unable to write file: ") + file->errorString();
        return false;
    }
    if (rc == CURLE_OK) {
        if (file) {
            curl_off_t total = 0;
            curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
            const qint64 written = file->pos();
            emit progressChanged(written, total > 0 ? total : written);
        }
        return true;
    }
    if (!m_writeError.isEmpty())
        *errorText = m_writeError;
    else if (rc == CURLE_ABORTED_BY_CALLBACK)
        *errorText = QStringLiteral("Operation aborted");
    else if (!m_lastReply.isEmpty() && (m_lastReply.startsWith(QLatin1Char('4'))
                                        || m_lastReply.startsWith(QLatin1Char('5'))))
        *errorText = m_lastReply.mid(4).trimmed(); // the server's own words, without the code
    else if (curlError[0])
        *errorText = QString::fromLocal8Bit(curlError).trimmed();
    else
        *errorText = QString::fromLatin1(curl_easy_strerror(rc));
    return false;
}

size_t FtpGetterWorker::headerCallback(char* data, size_t size, size_t count, void* self)
{
    auto* worker = static_cast<FtpGetterWorker*>(self);
    const size_t length = size * count;
    const QString line = QString::fromUtf8(data, int(length)).trimmed();
    // Only the last line of a reply ("NNN text") counts; continuation lines use "NNN-".
    if (line.size() >= 3 && line.at(0).isDigit() && line.at(1).isDigit() && line.at(2).isDigit()
        && (line.size() == 3 || line.at(3) == QLatin1Char(' '))) {
        worker->m_lastReply = line;
        if (worker->m_greetingId && line.startsWith(QLatin1String("220"))) {
            const int connectId = worker->m_greetingId;
            worker->m_greetingId = 0;
            emit worker->commandFinished(connectId, false, QString());
            emit worker->commandStarted(worker->m_pendingLoginId);
        }
    }
    return length;
}

size_t FtpGetterWorker::writeCallback(char* data, size_t size, size_t count, void* self)
{
    auto* worker = static_cast<FtpGetterWorker*>(self);
    const size_t length = size * count;
    if (!worker->m_file || worker->m_abort)
        return 0;
    if (worker->m_file->write(data, qint64(length)) != qint64(length)) {
        worker->m_writeError = QStringLiteral("Unable to write file: ") + worker->m_file->errorString();
        return 0;
    }
    return length;
}

int FtpGetterWorker::progressCallback(void* self, long long dlTotal, long long dlNow, long long,
                                      long long)
{
    auto* worker = static_cast<FtpGetterWorker*>(self);
    if (worker->m_abort)
        return 1;
    if (!worker->m_file || dlNow == worker->m_lastDone)
        return 0;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - worker->m_lastEmitMs >= progressIntervalMs) {
        worker->m_lastEmitMs = now;
        worker->m_lastDone = dlNow;
        emit worker->progressChanged(dlNow, dlTotal);
    }
    return 0;
}

} // namespace Network
