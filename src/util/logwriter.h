#pragma once

#include <QFlags>
#include <QObject>
#include <QRecursiveMutex>
#include <QString>

#include <memory>

class QFile;

namespace Util {

// Thread-safe line writer for one log file; every line is flushed at once.
class LogWriter : public QObject
{
    Q_OBJECT

public:
    enum HeaderFlag { DateTimeHeader = 1, LevelHeader = 2, CustomHeader = 4 };
    Q_DECLARE_FLAGS(Header, HeaderFlag)

    enum LogError { NoError = 0, EmptyFilePathError = 1, OpenError = 2, NotStartedError = 3 };
    Q_ENUM(LogError)

    explicit LogWriter(QObject* parent = nullptr);
    explicit LogWriter(const QString& filePath, QObject* parent = nullptr);
    ~LogWriter() override;

    void setFilePath(const QString& path);
    QString filePath() const;
    void setLevel(QtMsgType level);
    QtMsgType level() const;
    void setHeader(Header header);
    Header header() const;
    void setCustomHeader(const QString& text);
    QString customHeader() const;
    LogError error() const;

    bool startLogging();
    bool write(const QString& text, QtMsgType type);
    void endLogging();

    static QString levelString(QtMsgType type);

signals:
    void error(Util::LogWriter::LogError newError);

private:
    void setError(LogError newError);
    QString buildLine(const QString& text, QtMsgType type) const;

    mutable QRecursiveMutex m_mutex;
    QString m_filePath;
    QtMsgType m_level = QtDebugMsg;
    bool m_started = false;
    LogError m_error = NoError;
    Header m_header;
    QString m_customHeader;
    std::unique_ptr<QFile> m_file;
};

} // namespace Util

Q_DECLARE_OPERATORS_FOR_FLAGS(Util::LogWriter::Header)
