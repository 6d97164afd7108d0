#include "util/logwriter.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

namespace Util {

namespace {

// QtMsgType is not ordered by severity (QtInfoMsg came last), so rank it explicitly.
int severity(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return 0;
    case QtInfoMsg: return 1;
    case QtWarningMsg: return 2;
    case QtCriticalMsg: return 3;
    case QtFatalMsg: return 4;
    }
    return 0;
}

} // namespace

LogWriter::LogWriter(QObject* parent)
    : QObject(parent)
{
}

LogWriter::LogWriter(const QString& filePath, QObject* parent)
    : QObject(parent), m_filePath(filePath)
{
}

LogWriter::~LogWriter()
{
    endLogging();
}

void LogWriter::setFilePath(const QString& path)
{
    QMutexLocker lock(&m_mutex);
    if (m_filePath != path)
        m_filePath = path;
}

QString LogWriter::filePath() const
{
    QMutexLocker lock(&m_mutex);
    return m_filePath;
}

void LogWriter::setLevel(QtMsgType level)
{
    QMutexLocker lock(&m_mutex);
    if (m_level != level)
        m_level = level;
}

QtMsgType LogWriter::level() const
{
    QMutexLocker lock(&m_mutex);
    return m_level;
}

void LogWriter::setHeader(Header header)
{
    QMutexLocker lock(&m_mutex);
    if (m_header != header)
        m_header = header;
}

LogWriter::Header LogWriter::header() const
{
    QMutexLocker lock(&m_mutex);
    return m_header;
}

void LogWriter::setCustomHeader(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    if (m_customHeader != text)
        m_customHeader = text;
}

QString LogWriter::customHeader() const
{
    QMutexLocker lock(&m_mutex);
    return m_customHeader;
}

LogWriter::LogError LogWriter::error() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

void LogWriter::setError(LogError newError)
{
    m_error = newError;
    if (newError != NoError)
        emit error(newError);
}

bool LogWriter::startLogging()
{
    QMutexLocker lock(&m_mutex);
    if (m_started)
        return true;
    if (m_filePath.isEmpty()) {
        setError(EmptyFilePathError);
        return false;
    }
    const QDir dir = QFileInfo(m_filePath).absoluteDir();
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));
    if (!m_file)
        m_file = std::make_unique<QFile>(m_filePath);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) {
        setError(OpenError);
        return false;
    }
    m_started = true;
    return true;
}

bool LogWriter::write(const QString& text, QtMsgType type)
{
    QMutexLocker lock(&m_mutex);
    if (severity(type) < severity(m_level))
        return true;
    if (!m_started && !startLogging())
        return false;
    if (!m_file) {
        qWarning("LogWriter::write() : unable to write; you have to run startLogging() first");
        setError(NotStartedError);
        return false;
    }
    m_file->seek(m_file->size());
    QTextStream stream(m_file.get());
    stream << buildLine(text, type);
    stream.flush();
    m_file->flush();
    return true;
}

QString LogWriter::buildLine(const QString& text, QtMsgType type) const
{
    QString line;
    if (m_header.testFlag(DateTimeHeader)) {
        line += QLatin1Char('[')
                + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))
                + QLatin1String("] ");
    }
    line += QLatin1Char('[')
            + QString::number(reinterpret_cast<quintptr>(QThread::currentThreadId()))
            + QLatin1String("] ");
    if (m_header.testFlag(LevelHeader))
        line += QLatin1Char('<') + levelString(type) + QLatin1String("> ");
    if (m_header.testFlag(CustomHeader))
        line += m_customHeader;
    line += text;
    line += QLatin1Char('\n');
    return line;
}

void LogWriter::endLogging()
{
    QMutexLocker lock(&m_mutex);
    m_file.reset();
    m_started = false;
}

QString LogWriter::levelString(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return QStringLiteral("Debug");
    case QtWarningMsg: return QStringLiteral("Warning");
    case QtCriticalMsg: return QStringLiteral("Critical");
    case QtFatalMsg: return QStringLiteral("Fatal");
    case QtInfoMsg: return QStringLiteral("Info");
    }
    qWarning("LogWriter::levelString() : unknown level");
    return QString();
}

} // namespace Util
