#include "util/logwriter.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <vector>

using Util::LogWriter;

class TestLogWriter : public QObject
{
    Q_OBJECT

private slots:
    void lineShapes_data();
    void lineShapes();
    void belowLevelIsDropped();
    void emptyPathFailsEveryTime();
    void unopenableFileReportsOpenError();
    void createsMissingFolderAndTruncates();
    void linesFromThreadsNeverInterleave();
    void levelString();

private:
    static QStringList lines(const QString& path);
};

QStringList TestLogWriter::lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void TestLogWriter::lineShapes_data()
{
    QTest::addColumn<int>("header");
    QTest::addColumn<QString>("pattern");

    const QString stamp = R"(\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\] )";
    const QString thread = R"(\[\d+\] )";
    QTest::newRow("application log") << 3 << "^" + stamp + thread + "<Warning> héllo$";
    QTest::newRow("library log") << 1 << "^" + stamp + thread + "héllo$";
    QTest::newRow("thread only") << 0 << "^" + thread + "héllo$";
    QTest::newRow("custom") << (4 | 2) << "^" + thread + "<Warning> CUSTOM:héllo$";
}

void TestLogWriter::lineShapes()
{
    QFETCH(int, header);
    QFETCH(QString, pattern);
    QTemporaryDir tmp;
    LogWriter writer(tmp.filePath("log.txt"));
    writer.setHeader(LogWriter::Header(header));
    writer.setCustomHeader("CUSTOM:");
    QVERIFY(writer.write(QStringLiteral("héllo"), QtWarningMsg));
    const QStringList written = lines(tmp.filePath("log.txt"));
    QCOMPARE(written.size(), 1);
    QVERIFY2(QRegularExpression(pattern).match(written.first()).hasMatch(), qPrintable(written.first()));
}

void TestLogWriter::belowLevelIsDropped()
{
    QTemporaryDir tmp;
    LogWriter writer(tmp.filePath("log.txt"));
    writer.setLevel(QtWarningMsg);
    QVERIFY(writer.write("debug line", QtDebugMsg));
    QVERIFY(writer.write("info line", QtInfoMsg));
    QVERIFY(!QFile::exists(tmp.filePath("log.txt"))); // not even started
    QVERIFY(writer.write("critical line", QtCriticalMsg));
    QCOMPARE(lines(tmp.filePath("log.txt")).size(), 1);
}

void TestLogWriter::emptyPathFailsEveryTime()
{
    LogWriter writer;
    QSignalSpy spy(&writer, qOverload<LogWriter::LogError>(&LogWriter::error));
    QVERIFY(!writer.write("a", QtWarningMsg));
    QVERIFY(!writer.write("b", QtWarningMsg));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).value<LogWriter::LogError>(), LogWriter::EmptyFilePathError);
    QCOMPARE(writer.error(), LogWriter::EmptyFilePathError);
}

void TestLogWriter::unopenableFileReportsOpenError()
{
    QTemporaryDir tmp;
    // A folder where the file should be cannot be opened for writing.
    QVERIFY(QDir().mkpath(tmp.filePath("log.txt")));
    LogWriter writer(tmp.filePath("log.txt"));
    QSignalSpy spy(&writer, qOverload<LogWriter::LogError>(&LogWriter::error));
    QVERIFY(!writer.write("x", QtWarningMsg));
    QCOMPARE(writer.error(), LogWriter::OpenError);
    QCOMPARE(spy.count(), 1);
}

void TestLogWriter::createsMissingFolderAndTruncates()
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("deep/er/log.txt");
    {
        LogWriter writer(path);
        QVERIFY(writer.write("first run", QtDebugMsg));
    }
    QCOMPARE(lines(path).size(), 1);
    LogWriter writer(path);
    QVERIFY(writer.write("second run", QtDebugMsg));
    const QStringList written = lines(path);
    QCOMPARE(written.size(), 1);
    QVERIFY(written.first().endsWith("second run"));
}

void TestLogWriter::linesFromThreadsNeverInterleave()
{
    QTemporaryDir tmp;
    LogWriter writer(tmp.filePath("log.txt"));
    writer.setHeader(LogWriter::DateTimeHeader | LogWriter::LevelHeader);
    constexpr int threads = 4;
    constexpr int perThread = 250;
    std::vector<std::unique_ptr<QThread>> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back(QThread::create([&writer, t] {
            for (int i = 0; i < perThread; ++i)
                writer.write(QStringLiteral("thread %1 line %2 %3").arg(t).arg(i).arg(QString(40, 'x')),
                             QtDebugMsg);
        }));
        workers.back()->start();
    }
    for (auto& worker : workers)
        QVERIFY(worker->wait(30000));
    const QStringList written = lines(tmp.filePath("log.txt"));
    QCOMPARE(written.size(), threads * perThread);
    const QRegularExpression shape(R"(^\[[^\]]+\] \[\d+\] <Debug> thread \d line \d+ x{40}$)");
    for (const QString& line : written)
        QVERIFY2(shape.match(line).hasMatch(), qPrintable(line));
}

void TestLogWriter::levelString()
{
    QCOMPARE(LogWriter::levelString(QtDebugMsg), QStringLiteral("Debug"));
    QCOMPARE(LogWriter::levelString(QtWarningMsg), QStringLiteral("Warning"));
    QCOMPARE(LogWriter::levelString(QtCriticalMsg), QStringLiteral("Critical"));
    QCOMPARE(LogWriter::levelString(QtFatalMsg), QStringLiteral("Fatal"));
    QTest::ignoreMessage(QtWarningMsg, "LogWriter::levelString() : unknown level");
    QCOMPARE(LogWriter::levelString(QtMsgType(7)), QString());
}

QTEST_GUILESS_MAIN(TestLogWriter)
#include "tst_logwriter.moc"
