#include "core/torrentsettings.h"

#include "support/files.h"

#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using Core::TorrentSettings;
using namespace Torrent::Client;

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

QByteArray section(const QByteArray& name, const QByteArray& configType, const QByteArray& firstRun)
{
    QByteArray out = "[" + name + "]\n";
    if (!configType.isNull())
        out += "config_type=" + configType + "\n";
    if (!firstRun.isNull())
        out += "first_run=" + firstRun + "\n";
    return out + "\n";
}

// config type and first run of the three clients, in the order of ClientTypeArray
QList<int> state(const TorrentSettings& settings)
{
    QList<int> out;
    for (const ClientType type : ClientTypeArray)
        out << settings.clientParams(type).configType << int(settings.clientParams(type).firstRun);
    return out;
}

QString debugForm(TorrentSettings::ConfigErrors errors)
{
    QString text;
    QDebug(&text).nospace() << errors;
    return text;
}

} // namespace

class TestTorrentSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void singleton();
    void read_data();
    void read();
    void missingFileCreated();
    void missingFileUncreatable();
    void writeRoundTrip();
    void writeStopsAtUndefinedClient();
    void writeFailure();
    void errorsString_data();
    void errorsString();
    void deliveredTemplate();

private:
    QString path() const { return m_dir->filePath("clients.conf"); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TorrentSettings> m_settings;
};

void TestTorrentSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settings = std::make_unique<TorrentSettings>();
}

void TestTorrentSettings::cleanup()
{
    m_settings.reset();
    m_dir.reset();
}

void TestTorrentSettings::singleton()
{
    TorrentSettings* first = TorrentSettings::instance();
    QCOMPARE(TorrentSettings::instance(), first);
    QCOMPARE(state(*first), (QList<int>{0, 0, 0, 0, 0, 0}));
    QCOMPARE(first->clientParams(UndefinedClient).configType, UndefinedConfig);
    QVERIFY(!first->clientParams(UndefinedClient).firstRun);
    QCOMPARE(first->occurredErrors(), TorrentSettings::ConfigErrors());
    first->setClientParams(VuzeClient, {PrivacyConfig, true});
    TorrentSettings::freeInstance();
    QCOMPARE(state(*TorrentSettings::instance()), (QList<int>{0, 0, 0, 0, 0, 0}));
    TorrentSettings::freeInstance();
}

void TestTorrentSettings::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("expected");

    const QByteArray ut = section("utorrent", "user", "true");
    const QByteArray bt = section("bittorrent", "privacy", "false");
    QTest::newRow("all read") << ut + bt + section("vuze", "privacy", "true") << true << QList<int>{1, 1, 2, 0, 2, 1};
    QTest::newRow("sections in any order") << section("vuze", "user", "false") + bt + ut << true
                                           << QList<int>{1, 1, 2, 0, 1, 0};
    QTest::newRow("vuze config_type=default") << ut + bt + section("vuze", "default", "true") << false
                                              << QList<int>{1, 1, 2, 0, 0, 0};
    QTest::newRow("bittorrent without first_run") << ut + section("bittorrent", "user", QByteArray())
                                                         + section("vuze", "user", "true")
                                                  << false << QList<int>{1, 1, 0, 0, 0, 0};
    QTest::newRow("utorrent without config_type") << section("utorrent", QByteArray(), "true") + bt << false
                                                  << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("value case matters") << section("utorrent", "User", "true") << false
                                        << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("section case matters") << section("uTorrent", "user", "true") << false
                                          << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("list value") << section("utorrent", "user, privacy", "true") << false
                                << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("vuze missing") << ut + bt << false << QList<int>{1, 1, 2, 0, 0, 0};
    QTest::newRow("empty file") << QByteArray("") << false << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("binary bytes") << QByteArray("\x00\xff[utorrent]\x00\nconfig_type=\x80user\x00", 32) << false
                                  << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("huge value") << section("utorrent", QByteArray(2 << 20, 'u'), "true") << false
                                << QList<int>{0, 0, 0, 0, 0, 0};
    QTest::newRow("garbage lines between sections")
        << "nonsense\n" + ut + "===\n;comment\n" + bt + "[\n" + section("vuze", "user", "no") << true
        << QList<int>{1, 1, 2, 0, 1, 1}; // any text but "false" and "0" is true, as the settings class has it
}

void TestTorrentSettings::read()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(QList<int>, expected);
    QVERIFY(writeFile(path(), content));
    QCOMPARE(m_settings->read(path()), ok);
    QCOMPARE(state(*m_settings), expected);
    QCOMPARE(m_settings->occurredErrors(), ok ? TorrentSettings::ConfigErrors() : TorrentSettings::ReadError);
    QCOMPARE(readFile(path()), content); // reading writes nothing

    // Reading another file starts afresh: no values or errors carried over.
    const QString other = m_dir->filePath("other.conf");
    QVERIFY(writeFile(other, section("utorrent", "privacy", "true") + section("bittorrent", "privacy", "true")
                                 + section("vuze", "privacy", "true")));
    QVERIFY(m_settings->read(other));
    QCOMPARE(state(*m_settings), (QList<int>{2, 1, 2, 1, 2, 1}));
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::ConfigErrors());
}

void TestTorrentSettings::missingFileCreated()
{
    QVERIFY(m_settings->read(path()));
    QCOMPARE(state(*m_settings), (QList<int>{1, 1, 1, 1, 1, 1}));
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::ConfigErrors());
    QSettings file(path(), QSettings::IniFormat);
    QCOMPARE(file.childGroups(), (QStringList{"bittorrent", "utorrent", "vuze"}));
    for (const QString& name : file.childGroups()) {
        QCOMPARE(file.value(name + "/config_type").toString(), QString("user"));
        QCOMPARE(file.value(name + "/first_run").toString(), QString("true"));
    }
}

void TestTorrentSettings::missingFileUncreatable()
{
    QVERIFY(writeFile(m_dir->filePath("plainfile"), "x"));
    QVERIFY(!m_settings->read(m_dir->filePath("plainfile/clients.conf")));
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::WriteError);
}

void TestTorrentSettings::writeRoundTrip()
{
    QVERIFY(m_settings->read(path()));
    m_settings->setClientParams(UTorrentClient, {PrivacyConfig, false});
    m_settings->setClientParams(VuzeClient, {PrivacyConfig, true});
    QVERIFY(m_settings->write());
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::ConfigErrors());

    TorrentSettings reader;
    QVERIFY(reader.read(path()));
    QCOMPARE(state(reader), (QList<int>{2, 0, 1, 1, 2, 1}));
}

void TestTorrentSettings::writeStopsAtUndefinedClient()
{
    QVERIFY(m_settings->read(path()));
    const QByteArray before = readFile(path());
    m_settings->setClientParams(UTorrentClient, {PrivacyConfig, false});
    m_settings->setClientParams(BitTorrentClient, {UndefinedConfig, false});
    m_settings->setClientParams(VuzeClient, {PrivacyConfig, false});
    QVERIFY(!m_settings->write());
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::WriteError);
    QCOMPARE(readFile(path()), before); // not flushed

    // The sections before the failing client are set, the later ones not.
    m_settings.reset();
    TorrentSettings reader;
    QVERIFY(reader.read(path()));
    QCOMPARE(state(reader), (QList<int>{2, 0, 1, 1, 1, 1}));
}

void TestTorrentSettings::writeFailure()
{
    QVERIFY(!m_settings->write()); // nothing read yet
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::WriteError);

    m_settings = std::make_unique<TorrentSettings>();
    QVERIFY(writeFile(path(), section("utorrent", "user", "true") + section("bittorrent", "user", "true")
                                  + section("vuze", "user", "true")));
    QVERIFY(m_settings->read(path()));
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::ConfigErrors());
    // The folder disappears under the file: the flush fails and says so.
    const QString moved = m_dir->path() + "-moved";
    QVERIFY(QFile::rename(m_dir->path(), moved));
    QVERIFY(writeFile(m_dir->path(), "now a plain file"));
    m_settings->setClientParams(VuzeClient, {PrivacyConfig, false});
    const bool written = m_settings->write();
    QFile::remove(m_dir->path());
    QFile::rename(moved, m_dir->path());
    QVERIFY(!written);
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::WriteError);

    // Once the way is clear, the next write succeeds and says so.
    QVERIFY(m_settings->write());
    QCOMPARE(m_settings->occurredErrors(), TorrentSettings::ConfigErrors());
    TorrentSettings reader;
    QVERIFY(reader.read(path()));
    QCOMPARE(state(reader), (QList<int>{1, 1, 1, 1, 2, 0}));
}

void TestTorrentSettings::errorsString_data()
{
    QTest::addColumn<bool>("failRead");
    QTest::addColumn<bool>("failWrite");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none") << false << false << "QFlags()";
    QTest::newRow("read") << true << false << "QFlags(0x2)";
    QTest::newRow("write") << false << true << "QFlags(0x4)";
    QTest::newRow("both") << true << true << "QFlags(0x2|0x4)";
}

void TestTorrentSettings::errorsString()
{
    QFETCH(bool, failRead);
    QFETCH(bool, failWrite);
    QFETCH(QString, expected);
    QVERIFY(writeFile(path(), failRead ? section("utorrent", "broken", "true")
                                       : section("utorrent", "user", "true") + section("bittorrent", "user", "true")
                                             + section("vuze", "user", "true")));
    QCOMPARE(m_settings->read(path()), !failRead);
    if (failWrite) {
        m_settings->setClientParams(UTorrentClient, {UndefinedConfig, false});
        QVERIFY(!m_settings->write());
    }
    QCOMPARE(m_settings->errorsString(), expected);
    // The form the start-up log line has always shown, which is also what this Qt prints.
    QCOMPARE(debugForm(m_settings->occurredErrors()), expected);
}

void TestTorrentSettings::deliveredTemplate()
{
    const QString delivered = QStringLiteral(CORVALIS_TESTS_DIR "/../resources/config/clients.conf");
    const QByteArray content = readFile(delivered);
    QVERIFY(!content.isEmpty());
    QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->read(path()));
    QCOMPARE(state(*m_settings), (QList<int>{1, 1, 1, 1, 1, 1}));
}

QTEST_GUILESS_MAIN(TestTorrentSettings)
#include "tst_torrentsettings.moc"
