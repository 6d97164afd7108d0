#include "support/testenv.h"
#include "support/waits.h"
#include "support/xvfbdisplay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using TestSupport::XvfbDisplay;

// Starts qvclient as a user would: in a fresh HOME, on a private X display.
class TestQvclientStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void noTrayShowsTheSystrayBoxAndFails();
    void missingSettingsFile_data();
    void missingSettingsFile();
    void unreadableUserSettingsStopsBeforeTheOthers();
    void unreadableClientSettingsIsLoggedWithItsFlags();
    void startsWithFreshLogsAndTakesMessagesOfLaterStarts();

private:
    QString configDir() const { return m_home->dataHome() + "/Corvalis"; }
    QString logDir() const { return m_home->stateHome() + "/Corvalis"; }
    void seedConfiguration(bool builtinClient = false);
    void writeFile(const QString& path, const QByteArray& content);
    QProcess* startClient(const QStringList& arguments, const XvfbDisplay* display = nullptr);
    // Waits for a box with that title, answers it with Return and expects the exit code.
    void answerBoxAndExpectExit(QProcess* client, const QString& title, int exitCode,
                                const XvfbDisplay* display = nullptr);
    QStringList logLines(const QString& name) const;

    XvfbDisplay m_bare;
    XvfbDisplay m_display;
    std::unique_ptr<TestSupport::TempHome> m_home;
    std::vector<std::unique_ptr<QProcess>> m_clients;
};

void TestQvclientStartup::initTestCase()
{
    // One display without a tray host and one with; a tray host is started once, since a
    // restarted one may find the old tray selection still held.
    QVERIFY2(m_bare.start(), qPrintable(m_bare.errorString()));
    QVERIFY2(m_display.start(), qPrintable(m_display.errorString()));
    QVERIFY2(m_display.startTray(), qPrintable(m_display.errorString()));
}

void TestQvclientStartup::init()
{
    m_home = std::make_unique<TestSupport::TempHome>();
    QVERIFY(m_home->isValid());
}

void TestQvclientStartup::cleanup()
{
    for (auto& client : m_clients) {
        if (client->state() != QProcess::NotRunning) {
            client->terminate();
            if (!client->waitForFinished(5000))
                client->kill();
            client->waitForFinished(2000);
        }
    }
    m_clients.clear();
    m_home.reset();
}

void TestQvclientStartup::writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), qint64(content.size()));
}

void TestQvclientStartup::seedConfiguration(bool builtinClient)
{
    const QString templates = QStringLiteral(CORVALIS_TESTS_DIR) + "/../resources/config/";
    for (const char* name : {"user.conf", "app.conf", "clients.conf"}) {
        QFile source(templates + name);
        QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(source.fileName()));
        QByteArray content = source.readAll();
        if (builtinClient && QByteArray(name) == "app.conf")
            content.replace("use_builtin_client=false", "use_builtin_client=true");
        writeFile(configDir() + "/" + name, content);
    }
}

QProcess* TestQvclientStartup::startClient(const QStringList& arguments, const XvfbDisplay* display)
{
    auto client = std::make_unique<QProcess>();
    client->setProcessEnvironment((display ? display : &m_display)->environment());
    client->setProcessChannelMode(QProcess::MergedChannels);
    client->start(QStringLiteral(CORVALIS_BIN_DIR) + "/qvclient", arguments);
    client->waitForStarted(5000);
    m_clients.push_back(std::move(client));
    return m_clients.back().get();
}

void TestQvclientStartup::answerBoxAndExpectExit(QProcess* client, const QString& title, int exitCode,
                                                 const XvfbDisplay* display)
{
    if (!display)
        display = &m_display;
    const QString box = display->waitForWindow("^" + title + "$");
    if (box.isEmpty())
        QFAIL(qPrintable("no \"" + title + "\" box; output: " + client->readAll()));
    QVERIFY(display->pressKey(box, "Return"));
    QVERIFY2(client->waitForFinished(10000), "the box did not end the program");
    QCOMPARE(client->exitStatus(), QProcess::NormalExit);
    QCOMPARE(client->exitCode(), exitCode);
}

QStringList TestQvclientStartup::logLines(const QString& name) const
{
    QFile file(logDir() + "/" + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void TestQvclientStartup::noTrayShowsTheSystrayBoxAndFails()
{
    seedConfiguration();
    QProcess* client = startClient({}, &m_bare);
    answerBoxAndExpectExit(client, "Systray", 1, &m_bare);
    QVERIFY(client->readAll().contains("Couldn't detect any system tray on this system."));
}

void TestQvclientStartup::missingSettingsFile_data()
{
    QTest::addColumn<QString>("missing");
    QTest::newRow("clients.conf") << "clients.conf";
    QTest::newRow("user.conf") << "user.conf";
}

void TestQvclientStartup::missingSettingsFile()
{
    QFETCH(QString, missing);
    seedConfiguration();
    QVERIFY(QFile::remove(configDir() + "/" + missing));
    answerBoxAndExpectExit(startClient({}), "Error", 1);
    QVERIFY(!QFile::exists(configDir() + "/" + missing)); // never created by the program
}

void TestQvclientStartup::unreadableUserSettingsStopsBeforeTheOthers()
{
    seedConfiguration();
    writeFile(configDir() + "/user.conf", "[service]\nupdate_server=ftp://127.0.0.1\n");
    writeFile(configDir() + "/app.conf", "not an ini file at all \x01\x02");
    answerBoxAndExpectExit(startClient({}), "Error", 1);

    const QStringList lines = logLines("applog.txt");
    QVERIFY2(lines.size() >= 1, "the warning reaches the application log");
    QVERIFY2(lines.last().contains(QRegularExpression(
                 R"(<Warning> Error: Unable to read user settings; "Server sections not found"$)")),
             qPrintable(lines.last()));
    // app.conf was not read, so it was not rebuilt either.
    QFile app(configDir() + "/app.conf");
    QVERIFY(app.open(QIODevice::ReadOnly));
    QCOMPARE(app.readAll(), QByteArray("not an ini file at all \x01\x02"));
}

void TestQvclientStartup::unreadableClientSettingsIsLoggedWithItsFlags()
{
    seedConfiguration();
    writeFile(configDir() + "/clients.conf",
              "[utorrent]\nconfig_type=user\nfirst_run=true\n[bittorrent]\nconfig_type=default\n");
    answerBoxAndExpectExit(startClient({}), "Error", 1);
    const QStringList lines = logLines("applog.txt");
    QVERIFY(!lines.isEmpty());
    QVERIFY2(lines.last().contains("<Warning> Error: Unable to read torrent clients settings; QFlags(0x2)"),
             qPrintable(lines.last()));
}

void TestQvclientStartup::startsWithFreshLogsAndTakesMessagesOfLaterStarts()
{
    seedConfiguration(/*builtinClient=*/true);
    writeFile(logDir() + "/applog.txt", "line of the previous run\n");
    writeFile(logDir() + "/liblog.txt", "line of the previous run\n");

    QProcess* first = startClient({"--debug", "/downloads/first.torrent"});
    QVERIFY(TestSupport::waitUntil([&] {
        return logLines("applog.txt").value(0).contains("first.torrent");
    }, 15000));
    QVERIFY(first->state() == QProcess::Running);
    QVERIFY(!logLines("liblog.txt").contains("line of the previous run"));

    QProcess* second = startClient({"/downloads/second torrent.torrent", "ignored-extra"});
    QVERIFY(second->waitForFinished(15000));
    QCOMPARE(second->exitCode(), 0);

    QVERIFY(TestSupport::waitUntil([&] { return logLines("applog.txt").size() >= 2; }, 10000));
    const QStringList lines = logLines("applog.txt");
    QVERIFY(!lines.contains("line of the previous run"));
    const QRegularExpression shape(R"(^\[\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\] \[\d+\] <Debug> (.*)$)");
    for (const QString& line : lines)
        QVERIFY2(shape.match(line).hasMatch(), qPrintable(line));
    QVERIFY(lines.at(0).endsWith(R"(Torrent file to open: "/downloads/first.torrent")"));
    QVERIFY(lines.at(1).endsWith(R"(Torrent file to open: "/downloads/second torrent.torrent")"));

    // "--debug" alone sends an empty message: delivered, but no file to open.
    QProcess* third = startClient({"--debug"});
    QVERIFY(third->waitForFinished(15000));
    QCOMPARE(third->exitCode(), 0);
    QVERIFY(third->readAll().contains("There is already exists one instance of application"));
    QTest::qWait(300);
    QCOMPARE(logLines("applog.txt").size(), 2);
    QVERIFY(first->state() == QProcess::Running);
}

QTEST_GUILESS_MAIN(TestQvclientStartup)
#include "tst_qvclientstartup.moc"
