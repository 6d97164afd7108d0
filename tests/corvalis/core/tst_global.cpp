#include "core/global.h"

#include "common/commonglobal.h"
#include "common/deployment.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

using Core::Global;

class TestGlobal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void configFolder_data();
    void configFolder();
    void namesAndAddresses();
    void ftpAccount();

private:
    void placeNextToExecutable(const QStringList& names);
    std::unique_ptr<TestSupport::TempHome> m_home;
    QStringList m_placed;
};

void TestGlobal::init()
{
    m_home = std::make_unique<TestSupport::TempHome>();
}

void TestGlobal::cleanup()
{
    for (const QString& path : m_placed)
        QFile::remove(path);
    m_placed.clear();
    m_home.reset();
}

void TestGlobal::placeNextToExecutable(const QStringList& names)
{
    for (const QString& name : names) {
        const QString path = QCoreApplication::applicationDirPath() + "/" + name;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        m_placed << path;
    }
}

void TestGlobal::configFolder_data()
{
    QTest::addColumn<QStringList>("nextToExecutable");
    QTest::addColumn<bool>("usesExecutableFolder");

    QTest::newRow("all three") << QStringList{"user.conf", "app.conf", "clients.conf"} << true;
    QTest::newRow("two of three") << QStringList{"user.conf", "app.conf"} << false;
    QTest::newRow("none") << QStringList{} << false;
}

void TestGlobal::configFolder()
{
    QFETCH(QStringList, nextToExecutable);
    QFETCH(bool, usesExecutableFolder);
    // The per-user folder holds all three as well: the executable's folder still wins.
    const QString perUser = m_home->dataHome() + "/Corvalis";
    QVERIFY(QDir().mkpath(perUser));
    for (const char* name : {"user.conf", "app.conf", "clients.conf"})
        QFile(perUser + "/" + name).open(QIODevice::WriteOnly);
    placeNextToExecutable(nextToExecutable);

    QCOMPARE(Global().appOldConfigDirPath(), perUser);
    QCOMPARE(Global().appConfigDirPath(),
             usesExecutableFolder ? QCoreApplication::applicationDirPath() : perUser);
}

void TestGlobal::namesAndAddresses()
{
    const Global global;
    QCOMPARE(global.appName(), QStringLiteral("Corvalis"));
    QCOMPARE(global.appVersionString(), QStringLiteral("3.1.0"));
    QCOMPARE(global.appLogFileName(), QStringLiteral("applog.txt"));
    QCOMPARE(global.libLogFileName(), QStringLiteral("liblog.txt"));
    QCOMPARE(global.backupDirPath(), QCoreApplication::applicationDirPath() + "/__backup__");
    const QString base = "https://" + QString(Deployment::webHost);
    QCOMPARE(global.faqUrl(), base + "/index.php?rqst=%1&mod=v2_user_faq");
    QCOMPARE(global.supportPageUrl(), base + "/index.php?rqst=%1&mod=v2_support");
    QCOMPARE(global.supportDataUrl(), QUrl(base + "/api/index.php?mod=support"));
    QCOMPARE(global.faqUrl().arg("KEY"), base + "/index.php?rqst=KEY&mod=v2_user_faq");
    QCOMPARE(Core::UserSettingsFileName, QStringLiteral("user.conf"));
    QCOMPARE(Core::AppSettingsFileName, QStringLiteral("app.conf"));
    QCOMPARE(Core::TorrentSettingsFileName, QStringLiteral("clients.conf"));
}

void TestGlobal::ftpAccount()
{
    const CommonGlobal::FtpParams params = CommonGlobal::ftpParams();
    QCOMPARE(params.host, QString(Deployment::updateHost));
    QCOMPARE(params.port, 21);
    QCOMPARE(params.user, QStringLiteral("qvd"));
    QCOMPARE(params.password, QStringLiteral("qa58wk2rn71tz6xe"));
    QCOMPARE(int(CommonGlobal::SameVerExitCode), 2);
    QCOMPARE(int(CommonGlobal::DifferentVerExitCode), 3);
}

QTEST_GUILESS_MAIN(TestGlobal)
#include "tst_global.moc"
