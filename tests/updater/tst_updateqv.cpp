#include "common/commonglobal.h"
#include "core/global.h"
#include "support/ftpfixture.h"
#include "support/testenv.h"
#include "support/waits.h"
#include "support/xvfbdisplay.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

using TestSupport::FtpFixture;

namespace {

QByteArray statusFile(const QByteArray& version, bool withExec = true)
{
    QByteArray text = "[info]\nactual_ver=" + version + "\n[files]\nfile1=qvclient\n";
    if (withExec)
        text += "[exec]\napp=qvclient\n";
    return text;
}

} // namespace

// The real update-qv, copied next to a stand-in qvclient that records its arguments, run on
// a private X display against vsftpd on 127.0.0.1:21 (the port of the update account).
class TestUpdateQv : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void usageWithoutArguments();
    void invalidArguments_data();
    void invalidArguments();
    void checkVersion_data();
    void checkVersion();
    void update_data();
    void update();
    void unreadableStatusFile_data();
    void unreadableStatusFile();
    void missingStatusFile();
    void rejectedLogin();
    void checkWindowAndSecondInstance();
    void silentCheckShowsNoWindow();

private:
    struct Run
    {
        int exitCode = -1;
        QString output;
        QStringList boxes; // titles answered, in order
    };

    // Runs the updater, answering each expected box as a user would.
    Run run(const QStringList& arguments, const QStringList& boxTitles);
    QProcess* startUpdater(const QStringList& arguments);
    bool setStatus(const QByteArray& content);
    // The client's arguments, or "<not started>".
    QStringList clientArguments(int waitMs);

    std::unique_ptr<TestSupport::TempHome> m_home;
    QTemporaryDir m_app;
    QTemporaryDir m_tmp;
    FtpFixture m_server;
    TestSupport::XvfbDisplay m_x;
};

void TestUpdateQv::initTestCase()
{
    m_home = std::make_unique<TestSupport::TempHome>();
    QVERIFY(m_home->isValid() && m_app.isValid() && m_tmp.isValid());
    qputenv("TMPDIR", m_tmp.path().toLocal8Bit());

    // A copy, not a link: the updater starts the client from the folder of its real file.
    QVERIFY(QFile::copy(CORVALIS_BIN_DIR "/update-qv", m_app.path() + "/update-qv"));
    QFile::setPermissions(m_app.path() + "/update-qv",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile client(m_app.path() + "/qvclient");
    QVERIFY(client.open(QIODevice::WriteOnly));
    client.write("#!/bin/sh\nout=\"$(dirname \"$0\")/client.out\"\n"
                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\n"
                 "mv \"$out.tmp\" \"$out\"\n");
    client.close();
    client.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(CommonGlobal::ftpParams().port, 21);
    QVERIFY(m_server.addFolder(Core::Global::qvRootDir()));
    QVERIFY2(m_server.start(21), qPrintable(m_server.errorString()));
    QVERIFY2(m_x.start(), qPrintable(m_x.errorString()));
}

bool TestUpdateQv::setStatus(const QByteArray& content)
{
    const QString name = Core::Global::qvRootDir() + "/" + Core::Global::statusFileName();
    if (content.isNull())
        return QFile::remove(m_server.root() + "/" + name) || !QFile::exists(m_server.root() + "/" + name);
    return m_server.addFile(name, content);
}

QProcess* TestUpdateQv::startUpdater(const QStringList& arguments)
{
    auto* process = new QProcess(this);
    QProcessEnvironment env = m_x.environment();
    env.insert("TMPDIR", m_tmp.path());
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(m_app.path() + "/update-qv", arguments);
    return process;
}

TestUpdateQv::Run TestUpdateQv::run(const QStringList& arguments, const QStringList& boxTitles)
{
    QFile::remove(m_app.path() + "/client.out");
    Run result;
    std::unique_ptr<QProcess> process(startUpdater(arguments));
    if (!process->waitForStarted(10000))
        return result;
    for (const QString& title : boxTitles) {
        const QString id = m_x.waitForWindow("^" + title + "$", 30000);
        if (id.isEmpty()) {
            qWarning() << "No window" << title;
            break;
        }
        if (!m_x.answer(id)) {
            qWarning() << "Window" << title << "did not take the answer";
            break;
        }
        result.boxes << title;
    }
    if (!process->waitForFinished(30000)) {
        process->kill();
        process->waitForFinished(3000);
    } else if (process->exitStatus() == QProcess::NormalExit) {
        result.exitCode = process->exitCode();
    }
    result.output = QString::fromLocal8Bit(process->readAll());
    return result;
}

QStringList TestUpdateQv::clientArguments(int waitMs)
{
    QFile out(m_app.path() + "/client.out");
    TestSupport::waitUntil([&] { return out.exists(); }, waitMs);
    if (!out.open(QIODevice::ReadOnly))
        return {QStringLiteral("<not started>")};
    QStringList lines = QString::fromUtf8(out.readAll()).split('\n');
    lines.removeLast();
    return lines;
}

void TestUpdateQv::usageWithoutArguments()
{
    const Run r = run({}, {"Information"});
    QCOMPARE(r.boxes, QStringList{"Information"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.output.contains(
                 "Usage: ./update-qv { --check-version | -c | --update | -u } current_ver\n\nParams:\n"
                 "--check-version or -c  Check out current client version and last version\n"
                 "                       on server. Code 2 will be returned if versions\n"
                 "                       the same and code 3 in other case.\n"
                 "--update or -u         Update client from server to the latest version.\n"
                 "current_ver            Current version of client with format like 2.0.0\n"),
             qPrintable(r.output));
    QCOMPARE(clientArguments(300), QStringList{"<not started>"});
}

void TestUpdateQv::invalidArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("short version") << QStringList{"-c", "2.0"} << "Invalid version param: \"2.0\"";
    QTest::newRow("unknown goal") << QStringList{"-x", "2.0.0"} << "Invalid goal param: \"-x\"";
    QTest::newRow("goal only") << QStringList{"-u"} << "Invalid arguments count";
}

void TestUpdateQv::invalidArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run r = run(arguments, {"Error"});
    QVERIFY2(r.boxes == QStringList{"Error"}, qPrintable(r.output));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.output.contains("Error: " + message + "\n"), qPrintable(r.output));
    QCOMPARE(clientArguments(300), QStringList{"<not started>"});
}

void TestUpdateQv::checkVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("serverVersion");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("silent, newer") << QStringList{"-c", "2.0.0", "-s"} << QByteArray("2.0.1") << 3;
    QTest::newRow("silent, same") << QStringList{"-c", "2.0.0", "-s"} << QByteArray("2.0.0") << 2;
    QTest::newRow("silent, older") << QStringList{"-c", "2.0.0", "-s"} << QByteArray("1.9.9") << 2;
    QTest::newRow("numeric, not textual") << QStringList{"--check-version", "1.9.9", "-s"}
                                          << QByteArray("1.10.0") << 3;
    QTest::newRow("window, newer") << QStringList{"-c", "2.0.0"} << QByteArray("2.0.1") << 3;
    QTest::newRow("window, same") << QStringList{"-c", "2.0.0"} << QByteArray("2.0.0") << 2;
    QTest::newRow("window, older") << QStringList{"-c", "2.0.0"} << QByteArray("1.9.9") << 2;
}

void TestUpdateQv::checkVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, serverVersion);
    QFETCH(int, exitCode);
    QVERIFY(setStatus(statusFile(serverVersion)));
    const Run r = run(arguments, {});
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(!r.output.contains("Error:"), qPrintable(r.output));
    QCOMPARE(clientArguments(300), QStringList{"<not started>"});
    // The status file was fetched into the updater's own temporary folder.
    QVERIFY(QFile::exists(m_tmp.path() + "/Corvalis/" + Core::Global::statusFileName()));
    QVERIFY(QFileInfo(m_tmp.path() + "/Corvalis/__repo__").isDir());
}

void TestUpdateQv::update_data()
{
    QTest::addColumn<QByteArray>("serverVersion");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("same") << QByteArray("2.0.0") << QStringList();
    QTest::newRow("newer") << QByteArray("2.1.0") << QStringList{"Corvalis"};
    // A server behind the installed version has nothing to offer.
    QTest::newRow("older") << QByteArray("1.9.9") << QStringList();
}

void TestUpdateQv::update()
{
    QFETCH(QByteArray, serverVersion);
    QFETCH(QStringList, boxes);
    QVERIFY(setStatus(statusFile(serverVersion)));
    const Run r = run({"-u", "2.0.0"}, boxes);
    QCOMPARE(r.boxes, boxes);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(clientArguments(10000), QStringList{"-wu"});
    if (!boxes.isEmpty()) {
        const QUrl site(CommonGlobal::webBaseUrl());
        const QString text = QString("Corvalis: New version available for download on our site "
                                     "<a href=\"%1\">%2</a>.")
                                 .arg(site.toString(QUrl::FullyEncoded), site.host());
        QVERIFY2(r.output.contains(text), qPrintable(r.output));
    } else {
        QVERIFY2(!r.output.contains("Corvalis:"), qPrintable(r.output));
    }
    QVERIFY2(!r.output.contains("Error:"), qPrintable(r.output));
}

void TestUpdateQv::unreadableStatusFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("update") << QStringList{"-u", "2.0.0"}
                            << "Unable to read status config: Invalid app file at exec section";
    QTest::newRow("check") << QStringList{"-c", "2.0.0", "-s"}
                           << "Unable to read status file config: Invalid app file at exec section";
}

void TestUpdateQv::unreadableStatusFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QVERIFY(setStatus(statusFile("2.1.0", false)));
    const Run r = run(arguments, {"Error"});
    QCOMPARE(r.boxes, QStringList{"Error"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.output.contains("Error: " + message + "\n"), qPrintable(r.output));
    QCOMPARE(clientArguments(10000), QStringList{"-wu"});
}

void TestUpdateQv::missingStatusFile()
{
    QVERIFY(setStatus(QByteArray()));
    const Run r = run({"-u", "2.0.0"}, {"Error"});
    QCOMPARE(r.boxes, QStringList{"Error"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.output.contains("Error: Error when getting file: "), qPrintable(r.output));
    QCOMPARE(clientArguments(10000), QStringList{"-wu"});
}

void TestUpdateQv::rejectedLogin()
{
    QVERIFY(setStatus(statusFile("2.1.0")));
    m_server.stop();
    QVERIFY2(m_server.start(21, 0, true), qPrintable(m_server.errorString()));
    const Run r = run({"-u", "2.0.0"}, {"Error"});
    m_server.stop();
    QVERIFY2(m_server.start(21), qPrintable(m_server.errorString()));

    QVERIFY2(r.boxes == QStringList{"Error"}, qPrintable(r.output));
    QCOMPARE(r.exitCode, 0);
    // vsftpd answers a refused login with "530 Login incorrect.".
    QVERIFY2(r.output.contains("Error: Login error: Login incorrect.\n"), qPrintable(r.output));
    QVERIFY(!r.output.contains(FtpFixture::password));
    QCOMPARE(clientArguments(10000), QStringList{"-wu"});
}

void TestUpdateQv::checkWindowAndSecondInstance()
{
    // A server that accepts and never greets keeps the first instance waiting with its
    // window up.
    m_server.stop();
    QTcpServer mute;
    QVERIFY(mute.listen(QHostAddress::LocalHost, 21));
    QFile::remove(m_app.path() + "/client.out");
    std::unique_ptr<QProcess> first(startUpdater({"-c", "2.0.0"}));
    const QString window = m_x.waitForWindow("^Paxwell Updater$", 30000);

    std::unique_ptr<QProcess> second(startUpdater({"-c", "2.0.0"}));
    const bool secondDone = second->waitForFinished(20000);
    const int secondCode = second->exitCode();

    mute.close(); // resets the waiting connection: a connection error for the first
    const QString box = m_x.waitForWindow("^Error$", 30000);
    const bool answered = !box.isEmpty() && m_x.answer(box);
    const bool firstDone = first->waitForFinished(30000);
    const QString output = QString::fromLocal8Bit(first->readAll());
    QVERIFY2(m_server.start(21), qPrintable(m_server.errorString()));

    QVERIFY(!window.isEmpty());
    QVERIFY(secondDone);
    QCOMPARE(secondCode, 0);
    QVERIFY(answered);
    QVERIFY(firstDone);
    QCOMPARE(first->exitCode(), 0);
    QVERIFY2(output.contains("Error: Connection error"), qPrintable(output));
    QCOMPARE(clientArguments(10000), QStringList{"-wu"});
}

void TestUpdateQv::silentCheckShowsNoWindow()
{
    m_server.stop();
    QTcpServer mute;
    QVERIFY(mute.listen(QHostAddress::LocalHost, 21));
    std::unique_ptr<QProcess> process(startUpdater({"-c", "2.0.0", "-s"}));
    QVERIFY(process->waitForStarted());
    // The same wait in which the non-silent check shows its window.
    const QString window = m_x.waitForWindow("^Paxwell Updater$", 3000);
    mute.close();
    const QString box = m_x.waitForWindow("^Error$", 30000);
    if (!box.isEmpty())
        m_x.answer(box);
    process->waitForFinished(30000);
    QVERIFY2(m_server.start(21), qPrintable(m_server.errorString()));
    QVERIFY(window.isEmpty());
    QVERIFY(!box.isEmpty());
    QCOMPARE(process->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestUpdateQv)
#include "tst_updateqv.moc"
