#include "common/commonglobal.h"
#include "common/ftpgetter.h"
#include "support/ftpfixture.h"
#include "support/serviceprocess.h"
#include "support/waits.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using Network::FtpGetter;
using TestSupport::FtpFixture;

class TestFtpGetter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nestedRemoteNameCreatesFolders();
    void localNameWithoutFolderCreatesNone();
    void absoluteRemoteNameLandsBelowDownloadFolder();
    void oneControlConnectionForSeveralFiles();
    void changeFolder_data();
    void changeFolder();
    void failedCommand_data();
    void failedCommand();
    void connectRefused();
    void localFailures();
    void largeDownloadKeepsEventLoopRunning();
    void destroyDuringDownload();
    void destroyWhileServerIgnoresQuit();

private:
    CommonGlobal::FtpParams params(const QString& password = FtpFixture::password) const;
    static QList<int> actions(const QSignalSpy& spy);

    FtpFixture m_server;
    FtpFixture m_slowServer;
    QByteArray m_installer;
    QByteArray m_large;
};

CommonGlobal::FtpParams TestFtpGetter::params(const QString& password) const
{
    CommonGlobal::FtpParams p = CommonGlobal::ftpParams();
    p.host = QStringLiteral("127.0.0.1");
    p.port = m_server.port();
    p.password = password;
    return p;
}

QList<int> TestFtpGetter::actions(const QSignalSpy& spy)
{
    QList<int> list;
    for (const QList<QVariant>& args : spy)
        list << args.at(0).value<Network::Action>();
    return list;
}

void TestFtpGetter::initTestCase()
{
    // The fixture must serve the account the programs use.
    QCOMPARE(CommonGlobal::ftpParams().user, QString::fromLatin1(FtpFixture::user));
    QCOMPARE(CommonGlobal::ftpParams().password, QString::fromLatin1(FtpFixture::password));

    for (int i = 0; i < 5000; ++i)
        m_installer += QByteArray::number(i) + '\n';
    m_large = QByteArray(24 * 1024 * 1024, '\0');
    for (int i = 0; i < m_large.size(); i += 4096)
        m_large[i] = char(i / 4096);
    QVERIFY(m_server.addFile("qv/a/b/setup.dmg", m_installer));
    QVERIFY(m_server.addFile("qv/second.txt", "second"));
    QVERIFY(m_server.addFolder("empty"));
    QVERIFY2(m_server.start(TestSupport::freeTcpPort()), qPrintable(m_server.errorString()));

    QVERIFY(m_slowServer.addFile("big.bin", m_large));
    QVERIFY2(m_slowServer.start(TestSupport::freeTcpPort(), 6 * 1024 * 1024),
             qPrintable(m_slowServer.errorString()));
}

void TestFtpGetter::nestedRemoteNameCreatesFolders()
{
    QTemporaryDir target;
    FtpGetter getter;
    QSignalSpy actionSpy(&getter, &FtpGetter::actionChanged);
    QSignalSpy startedSpy(&getter, &FtpGetter::fileCopyStarted);
    QSignalSpy retrievedSpy(&getter, &FtpGetter::fileRetrieved);
    QSignalSpy doneSpy(&getter, &FtpGetter::done);
    QSignalSpy errorSpy(&getter, &FtpGetter::errorOccurred);
    QSignalSpy progressSpy(&getter, &FtpGetter::progressChanged);

    QVERIFY(getter.setDownloadDir(target.path() + "/downloads/deep"));
    getter.open(params());
    getter.cd("qv");
    QVERIFY(getter.getFile("a/b/setup.dmg", QString()));
    getter.close();
    QVERIFY(TestSupport::waitForCount(doneSpy, 1, 15000));

    QCOMPARE(errorSpy.count(), 0);
    QCOMPARE(doneSpy.at(0).at(0).toBool(), false);
    QCOMPARE(actions(actionSpy), (QList<int>{1, 2, 3, 4, 5}));
    QCOMPARE(startedSpy.count(), 1);
    QCOMPARE(startedSpy.at(0).at(0).toString(), QString("a/b/setup.dmg"));
    QCOMPARE(retrievedSpy.count(), 1);
    QCOMPARE(retrievedSpy.at(0).at(0).toString(), QString("a/b/setup.dmg"));
    QFile file(target.path() + "/downloads/deep/a/b/setup.dmg");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), m_installer);
    QVERIFY(!progressSpy.isEmpty());
    QCOMPARE(progressSpy.last().at(0).toLongLong(), qint64(m_installer.size()));
    QCOMPARE(progressSpy.last().at(1).toLongLong(), qint64(m_installer.size()));
    QCOMPARE(getter.error(), FtpGetter::NoError);
}

void TestFtpGetter::localNameWithoutFolderCreatesNone()
{
    QTemporaryDir target;
    FtpGetter getter;
    QSignalSpy retrievedSpy(&getter, &FtpGetter::fileRetrieved);
    QVERIFY(getter.setDownloadDir(target.path()));
    getter.open(params());
    QVERIFY(getter.getFile("qv/a/b/setup.dmg", "setup.dmg"));
    QVERIFY(TestSupport::waitForCount(retrievedSpy, 1, 15000));
    QCOMPARE(retrievedSpy.at(0).at(0).toString(), QString("setup.dmg"));
    QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"setup.dmg"});
    QCOMPARE(QFileInfo(target.path() + "/setup.dmg").size(), qint64(m_installer.size()));
}

void TestFtpGetter::absoluteRemoteNameLandsBelowDownloadFolder()
{
    QTemporaryDir target;
    FtpGetter getter;
    QSignalSpy retrievedSpy(&getter, &FtpGetter::fileRetrieved);
    QSignalSpy errorSpy(&getter, &FtpGetter::errorOccurred);
    QVERIFY(getter.setDownloadDir(target.path()));
    getter.open(params());
    const QString remote = m_server.root() + "/qv/second.txt";
    QVERIFY2(getter.getFile(remote), qPrintable(getter.errorString()));
    QVERIFY(TestSupport::waitForCount(retrievedSpy, 1, 15000));
    QVERIFY2(errorSpy.isEmpty(), qPrintable(getter.errorString()));
    QCOMPARE(retrievedSpy.at(0).at(0).toString(), remote);
    QFile file(target.path() + remote);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("second"));
}

void TestFtpGetter::oneControlConnectionForSeveralFiles()
{
    QTemporaryDir target;
    const int before = m_server.connectionCount();
    FtpGetter getter;
    QSignalSpy retrievedSpy(&getter, &FtpGetter::fileRetrieved);
    QSignalSpy doneSpy(&getter, &FtpGetter::done);
    QVERIFY(getter.setDownloadDir(target.path()));
    getter.open(params());
    getter.cd("qv");
    QVERIFY(getter.getFile("second.txt"));
    QVERIFY(getter.getFile("a/b/setup.dmg", "copy.dmg"));
    QVERIFY(TestSupport::waitForCount(doneSpy, 1, 15000));
    QCOMPARE(retrievedSpy.count(), 2);
    QCOMPARE(retrievedSpy.at(0).at(0).toString(), QString("second.txt"));
    QCOMPARE(retrievedSpy.at(1).at(0).toString(), QString("copy.dmg"));
    QVERIFY(TestSupport::waitUntil([&] { return m_server.connectionCount() > before; }, 5000));
    QCOMPARE(m_server.connectionCount() - before, 1);
}

void TestFtpGetter::changeFolder_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("remote");
    QTest::newRow("relative, twice") << QStringList{"qv", "a"} << "b/setup.dmg";
    QTest::newRow("absolute") << QStringList{m_server.root() + "/qv/a/b"} << "setup.dmg";
    QTest::newRow("relative after absolute") << QStringList{m_server.root() + "/qv", "a/b"}
                                             << "setup.dmg";
    QTest::newRow("absolute file name") << QStringList{"empty"}
                                        << m_server.root() + "/qv/a/b/setup.dmg";
}

void TestFtpGetter::changeFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, remote);
    QTemporaryDir target;
    FtpGetter getter;
    QSignalSpy doneSpy(&getter, &FtpGetter::done);
    QSignalSpy errorSpy(&getter, &FtpGetter::errorOccurred);
    QVERIFY(getter.setDownloadDir(target.path()));
    getter.open(params());
    for (const QString& folder : folders)
        getter.cd(folder);
    QVERIFY(getter.getFile(remote, "got.dmg"));
    QVERIFY(TestSupport::waitForCount(doneSpy, 1, 15000));
    QVERIFY2(errorSpy.isEmpty(), qPrintable(getter.errorString()));
    QFile file(target.path() + "/got.dmg");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), m_installer);
}

void TestFtpGetter::failedCommand_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<int>("error");
    QTest::addColumn<QList<int>>("expectedActions");

    QTest::newRow("wrong password") << "wrong" << "qv" << "second.txt" << 3 << QList<int>{1, 2};
    QTest::newRow("missing folder") << FtpFixture::password << "nowhere" << "second.txt" << 4
                                    << QList<int>{1, 2, 3};
    QTest::newRow("missing file") << FtpFixture::password << "qv" << "missing.conf" << 5
                                  << QList<int>{1, 2, 3, 4};
}

void TestFtpGetter::failedCommand()
{
    QFETCH(QString, password);
    QFETCH(QString, folder);
    QFETCH(QString, remote);
    QFETCH(int, error);
    QFETCH(QList<int>, expectedActions);

    QTemporaryDir target;
    FtpGetter getter;
    QSignalSpy errorSpy(&getter, &FtpGetter::errorOccurred);
    QSignalSpy actionSpy(&getter, &FtpGetter::actionChanged);
    QSignalSpy retrievedSpy(&getter, &FtpGetter::fileRetrieved);
    QSignalSpy doneSpy(&getter, &FtpGetter::done);
    QVERIFY(getter.setDownloadDir(target.path()));
    getter.open(params(password));
    getter.cd(folder);
    QVERIFY(getter.getFile(remote));
    QVERIFY(getter.getFile("second.txt", "later.txt"));

    QVERIFY(TestSupport::waitForCount(errorSpy, 1, 15000));
    QCOMPARE(int(getter.error()), error);
    QVERIFY(!getter.errorString().isEmpty());
    QVERIFY(!getter.errorString().contains(FtpFixture::password));
    QCOMPARE(actions(actionSpy), expectedActions);
    QCOMPARE(retrievedSpy.count(), 0);
    QVERIFY(TestSupport::waitForCount(doneSpy, 1, 5000));
    QCOMPARE(doneSpy.at(0).at(0).toBool(), true);
    // Nothing queued after the failure runs.
    QTest::qWait(300);
    QCOMPARE(errorSpy.count(), 1);
    QCOMPARE(actions(actionSpy), expectedActions);
    // The local file was made when the download was queued; a failed one stays behind.
    QVERIFY(QFileInfo::exists(target.path() + "/" + remote));
}

void TestFtpGetter::connectRefused()
{
    QTemporaryDir target;
    FtpGetter getter;
    QSignalSpy errorSpy(&getter, &FtpGetter::errorOccurred);
    QSignalSpy actionSpy(&getter, &FtpGetter::actionChanged);
    QVERIFY(getter.setDownloadDir(target.path()));
    CommonGlobal::FtpParams p = params();
    p.port = TestSupport::freeTcpPort();
    getter.open(p);
    getter.cd("qv");
    QVERIFY(TestSupport::waitForCount(errorSpy, 1, 15000));
    QCOMPARE(getter.error(), FtpGetter::ConnectError);
    QVERIFY(!getter.errorString().isEmpty());
    QCOMPARE(actions(actionSpy), QList<int>{1});
}

void TestFtpGetter::localFailures()
{
    QTemporaryDir target;
    FtpGetter getter;
    QSignalSpy errorSpy(&getter, &FtpGetter::errorOccurred);
    QSignalSpy actionSpy(&getter, &FtpGetter::actionChanged);

    QVERIFY(!getter.getFile("x.txt"));
    QCOMPARE(getter.errorString(), QString("Download dir field is empty"));

    QFile blocker(target.path() + "/blocker");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!getter.setDownloadDir(target.path() + "/blocker/sub"));
    QCOMPARE(getter.errorString(), QString("Unable to make path for download dir"));

    QVERIFY(getter.setDownloadDir(target.path()));
    QVERIFY(!getter.getFile("blocker/x.txt"));
    QCOMPARE(getter.errorString(), QString("Unable to create dir for getting file"));
    // A name that climbs out of the download folder is refused the same way.
    QVERIFY(!getter.getFile("../../escaped.txt"));
    QCOMPARE(getter.errorString(), QString("Unable to create dir for getting file"));
    QVERIFY(!QFileInfo::exists(QFileInfo(target.path()).path() + "/../escaped.txt"));

    QVERIFY(QDir().mkpath(target.path() + "/taken"));
    QVERIFY(!getter.getFile("x.txt", "taken"));
    QVERIFY2(getter.errorString().startsWith("Unable to open file for write: "),
             qPrintable(getter.errorString()));
    QVERIFY(getter.errorString().size() > QString("Unable to open file for write: ").size());

    QCOMPARE(getter.error(), FtpGetter::NoError);
    QTest::qWait(100);
    QCOMPARE(errorSpy.count(), 0);
    QCOMPARE(actionSpy.count(), 0);
}

void TestFtpGetter::largeDownloadKeepsEventLoopRunning()
{
    QTemporaryDir target;
    FtpGetter getter;
    CommonGlobal::FtpParams p = params();
    p.port = m_slowServer.port();
    QSignalSpy startedSpy(&getter, &FtpGetter::fileCopyStarted);
    QSignalSpy retrievedSpy(&getter, &FtpGetter::fileRetrieved);
    QSignalSpy progressSpy(&getter, &FtpGetter::progressChanged);
    QVERIFY(getter.setDownloadDir(target.path()));

    int ticksDuringTransfer = 0;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (startedSpy.count() == 1 && retrievedSpy.isEmpty())
            ++ticksDuringTransfer;
    });
    ticker.start();

    getter.open(p);
    QVERIFY(getter.getFile("big.bin"));
    QVERIFY(TestSupport::waitForCount(retrievedSpy, 1, 60000));
    ticker.stop();

    // A blocked thread would have coalesced the timer into a tick or two; the throttled
    // transfer takes seconds.
    QVERIFY2(ticksDuringTransfer >= 10, qPrintable(QString::number(ticksDuringTransfer)));
    QVERIFY(progressSpy.count() >= 3);
    QCOMPARE(progressSpy.last().at(0).toLongLong(), qint64(m_large.size()));
    QFile file(target.path() + "/big.bin");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256),
             QCryptographicHash::hash(m_large, QCryptographicHash::Sha256));
}

void TestFtpGetter::destroyDuringDownload()
{
    QTemporaryDir target;
    auto getter = std::make_unique<FtpGetter>();
    CommonGlobal::FtpParams p = params();
    p.port = m_slowServer.port();
    QSignalSpy progressSpy(getter.get(), &FtpGetter::progressChanged);
    QSignalSpy retrievedSpy(getter.get(), &FtpGetter::fileRetrieved);
    QVERIFY(getter->setDownloadDir(target.path()));
    getter->open(p);
    QVERIFY(getter->getFile("big.bin"));
    QVERIFY(TestSupport::waitForCount(progressSpy, 1, 15000));
    getter.reset(); // must stop the transfer and its thread without waiting for the end
    QCOMPARE(retrievedSpy.count(), 0);
    QVERIFY(QFileInfo(target.path() + "/big.bin").size() < m_large.size());
}

void TestFtpGetter::destroyWhileServerIgnoresQuit()
{
    // A server that logs the account in and then hangs: it never answers the QUIT sent at
    // destruction, which must not hold the owner's thread until the reply time-out.
    QTcpServer hung;
    QVERIFY(hung.listen(QHostAddress::LocalHost));
    connect(&hung, &QTcpServer::newConnection, this, [&hung] {
        QTcpSocket* peer = hung.nextPendingConnection();
        peer->write("220 ready\r\n");
        connect(peer, &QTcpSocket::readyRead, peer, [peer] {
            while (peer->canReadLine()) {
                const QByteArray line = peer->readLine().trimmed().toUpper();
                if (line.startsWith("USER"))
                    peer->write("331 password\r\n");
                else if (line.startsWith("PASS"))
                    peer->write("230 logged in\r\n");
                else if (line.startsWith("PWD"))
                    peer->write("257 \"/\"\r\n");
                else if (line.startsWith("CWD"))
                    peer->write("250 changed\r\n");
                else if (!line.startsWith("QUIT"))
                    peer->write("500 unknown\r\n");
            }
        });
    });

    QTemporaryDir target;
    auto getter = std::make_unique<FtpGetter>();
    QSignalSpy doneSpy(getter.get(), &FtpGetter::done);
    QSignalSpy errorSpy(getter.get(), &FtpGetter::errorOccurred);
    QVERIFY(getter->setDownloadDir(target.path()));
    CommonGlobal::FtpParams p = params();
    p.port = hung.serverPort();
    getter->open(p);
    getter->cd("qv");
    QVERIFY(TestSupport::waitForCount(doneSpy, 1, 15000));
    QVERIFY2(errorSpy.isEmpty(), qPrintable(getter->errorString()));

    QElapsedTimer clock;
    clock.start();
    getter.reset();
    QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_GUILESS_MAIN(TestFtpGetter)
#include "tst_ftpgetter.moc"
