#include "support/files.h"
#include "support/nodacoverride.h"
#include "support/testenv.h"
#include "support/waits.h"
#include "torrent/client/bittorrenthelper.h"
#include "torrent/client/clientcreator.h"
#include "torrent/client/clientprober.h"
#include "torrent/client/clienttype.h"
#include "torrent/client/utorrenthelper.h"
#include "torrent/client/vuzehelper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <memory>

using namespace Torrent::Client;

namespace {

// A file that cannot be read must never compare equal to an empty one.
QByteArray readAll(const QString& path)
{
    return TestSupport::readFile(path, "<unreadable>");
}

bool writeAll(const QString& path, const QByteArray& content)
{
    return TestSupport::writeFile(path, content);
}

struct ClientLayout
{
    QString bundle;      // inside the applications folder
    QString executable;  // inside <bundle>/Contents/MacOS
    QString settings;    // inside the data folder
    QString copies;      // inside the configuration folder
    QString fileName;
};

ClientLayout layout(int type)
{
    switch (type) {
    case UTorrentClient: return {"uTorrent.app", "uTorrent", "uTorrent/settings.dat", "utorrent", "settings.dat"};
    case BitTorrentClient:
        return {"BitTorrent.app", "BitTorrent", "BitTorrent/settings.dat", "bittorrent", "settings.dat"};
    default: return {"Vuze.app", "JavaApplicationStub", "Vuze/azureus.config", "vuze", "azureus.config"};
    }
}

QList<int> pidsIn(const QString& path)
{
    QList<int> pids;
    for (const QByteArray& line : readAll(path).split('\n')) {
        bool ok = false;
        const int pid = line.trimmed().toInt(&ok);
        if (ok)
            pids << pid;
    }
    return pids;
}

bool alive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

} // namespace

class TestClientHelper : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void names_data();
    void names();
    void creator();
    void initAndInstalled_data();
    void initAndInstalled();
    void installedClients();
    void uTorrentInitialSettings();
    void processes();
    void clientWithArgumentsIsNotRunning();
    void terminateLowerPidOfTwo();
    void setConfigSwaps();
    void setConfigRecoversMissingFile();
    void setConfigRejectsUnknownTypes();
    void setConfigReadOnlyFolder_data();
    void setConfigReadOnlyFolder();
    void setConfigUncopyableFile();
    void firstUseFailureCreatesNothing();

private:
    QString appConfigDir() const { return m_home->path() + QStringLiteral("/config/Corvalis"); }
    QString applications() const { return m_home->path() + QStringLiteral("/Applications"); }
    QString bundlePath(int type) const { return applications() + QLatin1Char('/') + layout(type).bundle; }
    QString executablePath(int type) const
    {
        return bundlePath(type) + QStringLiteral("/Contents/MacOS/") + layout(type).executable;
    }
    QString settingsPath(int type) const { return m_home->dataHome() + QLatin1Char('/') + layout(type).settings; }
    QString copyPath(int type, const QString& ext) const
    {
        return appConfigDir() + QLatin1Char('/') + layout(type).copies + QLatin1Char('/') + layout(type).fileName
            + QLatin1Char('.') + ext;
    }
    bool makeBundle(int type) const;
    std::unique_ptr<ClientHelper> readyHelper(int type);
    QProcess* startByHand(int type, const QStringList& arguments);

    std::unique_ptr<TestSupport::TempHome> m_home;
    QString m_pidFile;
    QList<QProcess*> m_started;
};

void TestClientHelper::init()
{
    m_home = std::make_unique<TestSupport::TempHome>();
    QVERIFY(m_home->isValid());
    m_pidFile = m_home->path() + QStringLiteral("/pids");
    qputenv("CORVALIS_FAKECLIENT_PIDFILE", m_pidFile.toLocal8Bit());
    qunsetenv("CORVALIS_FAKECLIENT_IGNORE_INT");
}

void TestClientHelper::cleanup()
{
    for (QProcess* process : m_started) {
        process->kill();
        process->waitForFinished(5000);
        delete process;
    }
    m_started.clear();
    for (const int pid : pidsIn(m_pidFile))
        ::kill(pid, SIGKILL);
    m_home.reset();
}

bool TestClientHelper::makeBundle(int type) const
{
    const QString exe = executablePath(type);
    QDir().mkpath(QFileInfo(exe).path());
    QFile::remove(exe);
    return QFile::copy(QStringLiteral(CORVALIS_FAKECLIENT), exe)
        && QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                          | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

std::unique_ptr<ClientHelper> TestClientHelper::readyHelper(int type)
{
    if (!makeBundle(type) || !writeAll(settingsPath(type), "d9:bind_porti1e4:user5:mine!e"))
        return nullptr;
    std::unique_ptr<ClientHelper> helper = ClientCreator::createClientHelper(type, appConfigDir());
    if (!helper || !helper->init())
        return nullptr;
    return helper;
}

QProcess* TestClientHelper::startByHand(int type, const QStringList& arguments)
{
    auto* process = new QProcess;
    m_started << process;
    process->start(executablePath(type), arguments);
    return process->waitForStarted(10000) ? process : nullptr;
}

void TestClientHelper::names_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "Undefined client";
    QTest::newRow("1") << 1 << "uTorrent";
    QTest::newRow("2") << 2 << "BitTorrent";
    QTest::newRow("3") << 3 << "Vuze";
}

void TestClientHelper::names()
{
    QFETCH(int, type);
    QFETCH(QString, name);
    QCOMPARE(clientNameString(type), name);
    QCOMPARE(int(clientTypeByName(name)), type);
    QCOMPARE(int(clientTypeByName(name.toLower())), type == 0 ? 0 : (name == name.toLower() ? type : 0));
    QTest::ignoreMessage(QtWarningMsg, "Warning: There is no string for client type #7");
    QCOMPARE(clientNameString(7), QString());
    QCOMPARE(ClientTypeArray, (QList<ClientType>{UTorrentClient, BitTorrentClient, VuzeClient}));
}

void TestClientHelper::creator()
{
    QVERIFY(dynamic_cast<UTorrentHelper*>(ClientCreator::createClientHelper(1, appConfigDir()).get()));
    QVERIFY(dynamic_cast<BitTorrentHelper*>(ClientCreator::createClientHelper(2, appConfigDir()).get()));
    QVERIFY(dynamic_cast<VuzeHelper*>(ClientCreator::createClientHelper(3, appConfigDir()).get()));
    QVERIFY(!ClientCreator::createClientHelper(0, appConfigDir()));
    QVERIFY(!ClientCreator::createClientHelper(4, appConfigDir()));
    QVERIFY(ClientCreator::createClientConfig(1) && ClientCreator::createClientConfig(3));
    QVERIFY(!ClientCreator::createClientConfig(0));
}

void TestClientHelper::initAndInstalled_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("bundle");
    QTest::addColumn<bool>("settings");
    QTest::addColumn<int>("error");

    for (const int type : {int(BitTorrentClient), int(VuzeClient)}) {
        const QByteArray name = clientNameString(type).toLatin1();
        QTest::newRow(name + " nothing") << type << false << false << 6;
        QTest::newRow(name + " settings only") << type << false << true << 6;
        QTest::newRow(name + " bundle only") << type << true << false << 7;
        QTest::newRow(name + " both") << type << true << true << 0;
    }
}

void TestClientHelper::initAndInstalled()
{
    QFETCH(int, type);
    QFETCH(bool, bundle);
    QFETCH(bool, settings);
    QFETCH(int, error);

    if (bundle)
        QVERIFY(makeBundle(type));
    if (settings)
        QVERIFY(writeAll(settingsPath(type), "de"));
    if (error == 7 && type == BitTorrentClient) {
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("Torrent client config file doesn't exist: \"%1\"")
                                            .arg(settingsPath(type))));
    }
    const std::unique_ptr<ClientHelper> helper = ClientCreator::createClientHelper(type, appConfigDir());
    QCOMPARE(helper->init(), error == 0);
    QCOMPARE(helper->error(), error);
    if (error == 6) {
        QCOMPARE(helper->errorString(),
                 QStringLiteral("Client exec file path \"%1\" does not exist").arg(bundlePath(type)));
    } else if (error == 7) {
        QCOMPARE(helper->errorString(),
                 QStringLiteral("Client config file path \"%1\" does not exist").arg(settingsPath(type)));
    } else {
        QVERIFY(helper->isAppInstalled());
        QCOMPARE(helper->appFilePath(), bundlePath(type));
        QCOMPARE(helper->appDirPath(), applications());
        QCOMPARE(helper->configFilePath(), settingsPath(type));
        QCOMPARE(helper->processName(), executablePath(type));
        QCOMPARE(helper->clientName(), clientNameString(type));
        QCOMPARE(helper->configsDirPath(), appConfigDir() + QLatin1Char('/') + layout(type).copies);
        QVERIFY(QFileInfo(helper->configsDirPath()).isDir());
        QCOMPARE(helper->userConfigFilePath(), copyPath(type, QStringLiteral("user")));
        QCOMPARE(helper->privacyConfigFilePath(), copyPath(type, QStringLiteral("priv")));
    }
    if (error == 6) {
        QCOMPARE(helper->userConfigFilePath(), QString());
        QCOMPARE(helper->error(), 5);
        QCOMPARE(helper->errorString(), QStringLiteral("Empty param \"config file name\""));
    }
}

void TestClientHelper::installedClients()
{
    // uTorrent: bundle without settings and without an initial file: not installed.
    QVERIFY(makeBundle(UTorrentClient));
    // BitTorrent: settings without bundle.
    QVERIFY(writeAll(settingsPath(BitTorrentClient), "de"));
    QVERIFY(makeBundle(VuzeClient));
    QVERIFY(writeAll(settingsPath(VuzeClient), "de"));

    QTest::ignoreMessage(QtWarningMsg, "Unable to locate inner initial config file for uTorrent");
    ClientProber prober(appConfigDir());
    QList<ClientProber::InstalledClient> found = prober.installedClients();
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.at(0).first, VuzeClient);
    QCOMPARE(found.at(0).second, bundlePath(VuzeClient));

    QVERIFY(writeAll(settingsPath(UTorrentClient), "de"));
    QVERIFY(makeBundle(BitTorrentClient));
    found = prober.installedClients();
    QCOMPARE(found.size(), 3);
    QCOMPARE(found.at(0).first, UTorrentClient);
    QCOMPARE(found.at(1).first, BitTorrentClient);
    QCOMPARE(found.at(1).second, bundlePath(BitTorrentClient));
}

void TestClientHelper::uTorrentInitialSettings()
{
    QVERIFY(makeBundle(UTorrentClient));
    const QString initial = m_home->path() + QStringLiteral("/bundle/Contents/SharedSupport/utorrentconfig/settings.dat");

    UTorrentHelper missing(appConfigDir(), initial);
    QTest::ignoreMessage(QtWarningMsg, "Unable to locate inner initial config file for uTorrent");
    QVERIFY(!missing.init());
    QVERIFY(!missing.isAppInstalled());

    QVERIFY(writeAll(initial, "d9:bind_porti9ee"));
    UTorrentHelper helper(appConfigDir(), initial);
    QVERIFY2(helper.init(), qPrintable(helper.errorString()));
    QVERIFY(helper.isAppInstalled());
    QCOMPARE(readAll(settingsPath(UTorrentClient)), QByteArray("d9:bind_porti9ee"));

    // An existing settings file is never replaced by the initial one.
    QVERIFY(writeAll(settingsPath(UTorrentClient), "dmine"));
    UTorrentHelper again(appConfigDir(), initial);
    QVERIFY(again.init());
    QCOMPARE(readAll(settingsPath(UTorrentClient)), QByteArray("dmine"));

    // Default location: inside this program's own bundle.
    QVERIFY(UTorrentHelper(appConfigDir()).initialConfigFilePath().endsWith(
        QStringLiteral("/SharedSupport/utorrentconfig/settings.dat")));
}

// Start, see through the real process list, stop.
void TestClientHelper::processes()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(VuzeClient);
    QVERIFY(helper);
    QVERIFY(!helper->isAppExecuted());
    QVERIFY2(helper->execClient(), qPrintable(helper->errorString()));
    QVERIFY(helper->isAppExecuted());
    QVERIFY(TestSupport::waitUntil([this] { return pidsIn(m_pidFile).size() == 1; }, 5000));
    const int pid = pidsIn(m_pidFile).first();
    // Started in the applications folder.
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget(), applications());

    // Already running: nothing more is started.
    QVERIFY(!helper->execClient());
    QTest::qWait(200);
    QCOMPARE(pidsIn(m_pidFile).size(), 1);

    Sys::ProcessProber prober;
    QVERIFY(prober.refreshProcessList());
    QCOMPARE(prober.pidByName(helper->processName()), pid);
    QVERIFY(prober.terminateByName(helper->processName()));
    QVERIFY(!helper->isAppExecuted());

    // Started again after it ended.
    QVERIFY(helper->execClient());
    QVERIFY(TestSupport::waitUntil([this] { return pidsIn(m_pidFile).size() == 2; }, 5000));
    const int second = pidsIn(m_pidFile).last();
    QVERIFY(alive(second));
}

void TestClientHelper::clientWithArgumentsIsNotRunning()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(UTorrentClient);
    QVERIFY(helper);
    QVERIFY(startByHand(UTorrentClient, {QStringLiteral("--minimized")}));
    QVERIFY(TestSupport::waitUntil([this] { return pidsIn(m_pidFile).size() == 1; }, 5000));
    QVERIFY(!helper->isAppExecuted());
    QCOMPARE(helper->error(), 0);
}

void TestClientHelper::terminateLowerPidOfTwo()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(BitTorrentClient);
    QVERIFY(helper);
    QProcess* first = startByHand(BitTorrentClient, {});
    QProcess* second = startByHand(BitTorrentClient, {});
    QVERIFY(first && second);
    QVERIFY(TestSupport::waitUntil([this] { return pidsIn(m_pidFile).size() == 2; }, 5000));
    const qint64 lower = qMin(first->processId(), second->processId());
    const qint64 higher = qMax(first->processId(), second->processId());
    QVERIFY(helper->isAppExecuted());

    Sys::ProcessProber prober;
    QVERIFY(prober.refreshProcessList());
    QVERIFY(prober.terminateByName(helper->processName()));
    QProcess* lowerProcess = first->processId() == lower ? first : second;
    QVERIFY(lowerProcess->waitForFinished(5000));
    QVERIFY(alive(higher));
    QVERIFY(helper->isAppExecuted());
}

void TestClientHelper::setConfigSwaps()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(UTorrentClient);
    QVERIFY(helper);
    const QString settings = settingsPath(UTorrentClient);
    const QString user = copyPath(UTorrentClient, QStringLiteral("user"));
    const QString priv = copyPath(UTorrentClient, QStringLiteral("priv"));
    QVERIFY(writeAll(settings, "own"));

    // First use: both copies made from the file in place, even with type 0.
    QVERIFY(helper->setConfig(0, 2));
    QCOMPARE(helper->error(), 0);
    QCOMPARE(readAll(user), QByteArray("own"));
    QCOMPARE(readAll(priv), QByteArray("own"));
    QCOMPARE(readAll(settings), QByteArray("own"));

    // The privacy copy is edited while it is in place...
    QVERIFY(writeAll(priv, "private"));
    QVERIFY(writeAll(settings, "own, changed by the user"));
    QVERIFY(helper->setConfig(1, 2));
    QCOMPARE(readAll(user), QByteArray("own, changed by the user"));
    QCOMPARE(readAll(settings), QByteArray("private"));

    // ...no change when it already is...
    QVERIFY(writeAll(settings, "private, edited"));
    QVERIFY(helper->setConfig(2, 2));
    QCOMPARE(readAll(settings), QByteArray("private, edited"));
    QCOMPARE(readAll(priv), QByteArray("private"));

    // ...and back to the user's own.
    QVERIFY(helper->setConfig(2, 1));
    QCOMPARE(readAll(priv), QByteArray("private, edited"));
    QCOMPARE(readAll(settings), QByteArray("own, changed by the user"));
    QCOMPARE(readAll(user), QByteArray("own, changed by the user"));
    QCOMPARE(helper->error(), 0);
    // No temporary files are left behind.
    QCOMPARE(QDir(QFileInfo(settings).path()).entryList(QDir::Files), QStringList{"settings.dat"});
    QCOMPARE(QDir(helper->configsDirPath()).entryList(QDir::Files),
             (QStringList{"settings.dat.priv", "settings.dat.user"}));
}

void TestClientHelper::setConfigRecoversMissingFile()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(VuzeClient);
    QVERIFY(helper);
    const QString settings = settingsPath(VuzeClient);
    QVERIFY(helper->setConfig(0, 2));
    QVERIFY(writeAll(copyPath(VuzeClient, QStringLiteral("user")), "users own"));
    QVERIFY(QFile::remove(settings));

    QTest::ignoreMessage(QtWarningMsg, "Torrent client config file does not exist; recover from .orig now");
    QVERIFY(!helper->setConfig(2, 1));
    QCOMPARE(helper->error(), 1);
    QCOMPARE(helper->errorString(), QStringLiteral("Client config file does not exist"));
    QCOMPARE(readAll(settings), QByteArray("users own"));

    // Without a user's copy there is nothing to recover from.
    QVERIFY(QFile::remove(settings));
    QVERIFY(QFile::remove(copyPath(VuzeClient, QStringLiteral("user"))));
    QVERIFY(!helper->setConfig(2, 1));
    QCOMPARE(helper->errorString(), QStringLiteral("Client config file does not exist"));
    QVERIFY(!QFileInfo::exists(settings));
}

void TestClientHelper::setConfigRejectsUnknownTypes()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(UTorrentClient);
    QVERIFY(helper);
    QVERIFY(helper->setConfig(0, 2));
    const QString settings = settingsPath(UTorrentClient);
    QVERIFY(writeAll(copyPath(UTorrentClient, QStringLiteral("priv")), "private"));
    for (const auto& types : QList<QPair<int, int>>{{0, 2}, {3, 1}, {1, 0}, {2, 5}}) {
        QVERIFY(!helper->setConfig(types.first, types.second));
        QCOMPARE(helper->error(), 1);
        const int bad = types.first == 1 || types.first == 2 ? types.second : types.first;
        QCOMPARE(helper->errorString(), QStringLiteral("Unknown config type %1").arg(bad));
        // Nothing was saved or swapped.
        QCOMPARE(readAll(settings), QByteArray("d9:bind_porti1e4:user5:mine!e"));
        QCOMPARE(readAll(copyPath(UTorrentClient, QStringLiteral("user"))), QByteArray("d9:bind_porti1e4:user5:mine!e"));
        QCOMPARE(readAll(copyPath(UTorrentClient, QStringLiteral("priv"))), QByteArray("private"));
    }
}

void TestClientHelper::setConfigReadOnlyFolder_data()
{
    QTest::addColumn<bool>("settingsFolder");
    QTest::newRow("settings folder read-only") << true;
    QTest::newRow("copies folder read-only") << false;
}

// A swap that cannot finish leaves the user's settings exactly as they were.
void TestClientHelper::setConfigReadOnlyFolder()
{
    QFETCH(bool, settingsFolder);
    const std::unique_ptr<ClientHelper> helper = readyHelper(UTorrentClient);
    QVERIFY(helper);
    const QString settings = settingsPath(UTorrentClient);
    const QString user = copyPath(UTorrentClient, QStringLiteral("user"));
    const QString priv = copyPath(UTorrentClient, QStringLiteral("priv"));
    QVERIFY(helper->setConfig(0, 2));
    QVERIFY(writeAll(settings, "own, changed"));
    QVERIFY(writeAll(user, "own"));
    QVERIFY(writeAll(priv, "private"));

    const QString folder = settingsFolder ? QFileInfo(settings).path() : helper->configsDirPath();
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                              | QFile::ReadOther | QFile::ExeOther));
    bool swapped = true;
    {
        TestSupport::NoDacOverride guard;
        QVERIFY(guard.isValid() || ::geteuid() != 0);
        QVERIFY(!QFile(folder + QStringLiteral("/probe")).open(QIODevice::WriteOnly));
        swapped = helper->setConfig(1, 2);
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!swapped);
    QCOMPARE(helper->error(), 1);
    QVERIFY2(helper->errorString().startsWith(QStringLiteral("Unable to prepare the client config swap; ")),
             qPrintable(helper->errorString()));
    QVERIFY2(helper->errorString().contains(settingsFolder ? settings : user), qPrintable(helper->errorString()));
    QCOMPARE(readAll(settings), QByteArray("own, changed"));
    QCOMPARE(readAll(user), QByteArray("own"));
    QCOMPARE(readAll(priv), QByteArray("private"));
    // No half-made copy is left behind.
    QCOMPARE(QDir(QFileInfo(settings).path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.dat"});
    QCOMPARE(QDir(helper->configsDirPath()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"settings.dat.priv", "settings.dat.user"}));

    // Once the folder is writable again the same swap goes through.
    QVERIFY(helper->setConfig(1, 2));
    QCOMPARE(readAll(settings), QByteArray("private"));
    QCOMPARE(readAll(user), QByteArray("own, changed"));
}

void TestClientHelper::setConfigUncopyableFile()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(BitTorrentClient);
    QVERIFY(helper);
    const QString settings = settingsPath(BitTorrentClient);
    const QString user = copyPath(BitTorrentClient, QStringLiteral("user"));
    const QString priv = copyPath(BitTorrentClient, QStringLiteral("priv"));
    QVERIFY(writeAll(user, "own"));
    // A privacy "copy" that cannot be read as a file.
    QVERIFY(QDir().mkpath(priv));
    QVERIFY(writeAll(settings, "own, changed"));

    QVERIFY(!helper->setConfig(1, 2));
    QCOMPARE(helper->error(), 1);
    QVERIFY2(helper->errorString().startsWith(QStringLiteral("Unable to read the client config files; ")),
             qPrintable(helper->errorString()));
    QVERIFY(helper->errorString().contains(priv));
    QCOMPARE(readAll(settings), QByteArray("own, changed"));
    QCOMPARE(readAll(user), QByteArray("own"));
}

// Half a first use is undone: no copy is left when the second cannot be made.
void TestClientHelper::firstUseFailureCreatesNothing()
{
    const std::unique_ptr<ClientHelper> helper = readyHelper(VuzeClient);
    QVERIFY(helper);
    const QString user = copyPath(VuzeClient, QStringLiteral("user"));
    const QString priv = copyPath(VuzeClient, QStringLiteral("priv"));
    // The privacy copy's name points into a folder that does not exist.
    QVERIFY(QFile::link(m_home->path() + QStringLiteral("/no-such-folder/azureus.config.priv"), priv));
    QVERIFY(!helper->setConfig(0, 2));
    QCOMPARE(helper->error(), 1);
    QVERIFY2(helper->errorString().startsWith(QStringLiteral("Unable to create the copies of the client config file; ")),
             qPrintable(helper->errorString()));
    QVERIFY(!QFileInfo::exists(user));
    QCOMPARE(readAll(settingsPath(VuzeClient)), QByteArray("d9:bind_porti1e4:user5:mine!e"));

    QVERIFY(QFile::remove(priv));
    QVERIFY(helper->setConfig(0, 2));
    QVERIFY(QFileInfo::exists(user) && QFileInfo::exists(priv));
}

QTEST_GUILESS_MAIN(TestClientHelper)
#include "tst_clienthelper.moc"
