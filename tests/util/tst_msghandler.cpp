#include "util/loggers.h"
#include "util/logwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class TestMsgHandler : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void repeatsAreDroppedOnlyWhenConsecutive();
    void filteredMessageStillCountsAsPrevious();
    void keepsTheMessageType();
    void libraryLinesNeedDebugLevel();
    void fatalIsWrittenThenAborts();

private:
    QStringList appLines() const;
    QStringList libLines() const;
    QTemporaryDir m_tmp;
};

static QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QStringList TestMsgHandler::appLines() const { return readLines(m_tmp.filePath("applog.txt")); }
QStringList TestMsgHandler::libLines() const { return readLines(m_tmp.filePath("liblog.txt")); }

void TestMsgHandler::init()
{
    QFile::remove(m_tmp.filePath("applog.txt"));
    QFile::remove(m_tmp.filePath("liblog.txt"));
    gAppLogger().endLogging();
    gAppLogger().setFilePath(m_tmp.filePath("applog.txt"));
    gAppLogger().setHeader(Util::LogWriter::DateTimeHeader | Util::LogWriter::LevelHeader);
    gLibLogger().endLogging();
    gLibLogger().setFilePath(m_tmp.filePath("liblog.txt"));
    gLibLogger().setHeader(Util::LogWriter::DateTimeHeader);
    qInstallMessageHandler(msgHandler);
    qWarning("reset %p", static_cast<void*>(this)); // a fresh "previous" text per test
    gAppLogger().endLogging();
    QFile::remove(m_tmp.filePath("applog.txt"));
}

void TestMsgHandler::cleanup()
{
    qInstallMessageHandler(nullptr);
}

void TestMsgHandler::repeatsAreDroppedOnlyWhenConsecutive()
{
    qWarning("same text");
    qWarning("same text");
    qWarning("other text");
    qWarning("same text");
    const QStringList lines = appLines();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith("<Warning> same text"));
    QVERIFY(lines.at(1).endsWith("<Warning> other text"));
    QVERIFY(lines.at(2).endsWith("<Warning> same text"));
}

void TestMsgHandler::filteredMessageStillCountsAsPrevious()
{
    qWarning("before");
    qWarning("libpng warning: Interlace handling should be turned on");
    qWarning("libpng warning: Interlace handling should be turned on");
    qWarning("QCocoaView handleTabletEvent: whatever");
    qWarning("after");
    const QStringList lines = appLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(1).endsWith("after"));
}

void TestMsgHandler::keepsTheMessageType()
{
    qDebug("a debug line");
    qCritical("a critical line");
    const QStringList lines = appLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).contains("<Debug> a debug line"));
    QVERIFY(lines.at(1).contains("<Critical> a critical line"));
}

void TestMsgHandler::libraryLinesNeedDebugLevel()
{
    gLibLogger().setLevel(QtWarningMsg);
    libMsgHandler("dropped without --debug");
    QVERIFY(libLines().isEmpty());

    gLibLogger().setLevel(QtDebugMsg);
    libMsgHandler("tünnel line");
    const QStringList lines = libLines();
    QCOMPARE(lines.size(), 1);
    QVERIFY(QRegularExpression(R"(^\[[\d\-T:]+\] \[\d+\] tünnel line$)").match(lines.first()).hasMatch());
}

void TestMsgHandler::fatalIsWrittenThenAborts()
{
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        qFatal("the end");
        _exit(0); // not reached
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGABRT);
    const QStringList lines = appLines();
    QVERIFY(!lines.isEmpty());
    QVERIFY(lines.last().endsWith("<Fatal> the end"));
}

QTEST_GUILESS_MAIN(TestMsgHandler)
#include "tst_msghandler.moc"
