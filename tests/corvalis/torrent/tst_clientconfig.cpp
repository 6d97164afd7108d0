#include "support/files.h"
#include "support/nodacoverride.h"
#include "torrent/bencode/bencodeparser.h"
#include "torrent/bencode/bencodewriter.h"
#include "torrent/client/clientcreator.h"
#include "torrent/client/clienttype.h"
#include "torrent/client/utorrentconfig.h"
#include "torrent/client/vuzeconfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using Torrent::Bencode::BencodeParser;
using Torrent::Bencode::BencodeWriter;
using Torrent::Bencode::Dictionary;
using namespace Torrent::Client;

namespace {

using Fields = QList<QPair<QByteArray, QVariant>>;

QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(CORVALIS_TEST_SOURCE_DIR "/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray readAll(const QString& path)
{
    return TestSupport::readFile(path);
}

bool writeAll(const QString& path, const QByteArray& content)
{
    return TestSupport::writeFile(path, content);
}

Dictionary parsed(const QByteArray& content)
{
    BencodeParser parser;
    return parser.parse(content) ? parser.dictionary() : Dictionary{{"<unparsable>", 1}};
}

QByteArray encode(const Dictionary& dictionary)
{
    bool ok = false;
    return BencodeWriter().makeContent(dictionary, &ok);
}

qlonglong i(qlonglong v)
{
    return v;
}

} // namespace

Q_DECLARE_METATYPE(Fields)

class TestClientConfig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void tunnelSettings_data();
    void tunnelSettings();
    void setupFieldsInOrder();
    void readValues_data();
    void readValues();
    void openErrors_data();
    void openErrors();
    void missingFileOpen();
    void failedProxyTypeLeavesFile_data();
    void failedProxyTypeLeavesFile();
    void defaultProxyPortNotWritten_data();
    void defaultProxyPortNotWritten();
    void vuzePorts();
    void emptyPasswordRemovesCredentials();
    void writeErrors();
    void noWriteAfterFailedRead_data();
    void noWriteAfterFailedRead();
    void proxyTypeString_data();
    void proxyTypeString();

private:
    QString put(const QByteArray& content, const QString& name = QStringLiteral("settings.dat"));

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestClientConfig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestClientConfig::put(const QByteArray& content, const QString& name)
{
    const QString path = m_dir->filePath(name);
    if (!writeAll(path, content))
        return QString();
    return path;
}

void TestClientConfig::tunnelSettings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("fixtureName");
    QTest::addColumn<Fields>("changed");
    QTest::addColumn<QByteArrayList>("removed");

    const Fields uTorrentCommon{
        {"proxy.type", i(2)},           {"proxy.proxy", QByteArray("127.0.0.1")},
        {"proxy.port", i(26268)},       {"proxy.auth", i(1)},
        {"proxy.username", "alice"},    {"proxy.password", "s3cret"},
        {"proxy.resolve", i(1)},        {"proxy.p2p", i(1)},
        {"no_local_dns", i(1)},         {"private_ip", i(1)},
        {"only_proxied_conns", i(1)},   {"bt.transp_disposition", i(21)},
        {"dht", i(1)},                  {"dht_per_torrent", i(0)},
        {"lsd", i(1)},                  {"pex", i(1)},
        {"use_udp_trackers", i(1)},     {"encryption_mode", i(2)},
        {"net.max_halfopen", i(10)},
    };
    QTest::newRow("uTorrent") << int(UTorrentClient) << "utorrent-settings.dat" << uTorrentCommon
                              << QByteArrayList{"rand_port_on_start", "autostart"};
    QTest::newRow("BitTorrent") << int(BitTorrentClient) << "bittorrent-settings.dat" << uTorrentCommon
                                << QByteArrayList{"rand_port_on_start", "autostart", "dir_active_download_flag",
                                                  "dir_active_download"};
    const Fields vuze{
        {"TCP.Listen.Port", i(6881)},
        {"UDP.Listen.Port", i(6881)},
        {"UDP.NonData.Listen.Port", i(6881)},
        {"Proxy.Data.SOCKS.version", "V5"},
        {"Proxy.Host", "127.0.0.1"},
        {"Proxy.Port", "26268"},
        {"Proxy.Username", "alice"},
        {"Proxy.Password", "s3cret"},
        {"User Mode", i(2)},
        {"Enable.Proxy", i(1)},
        {"Enable.SOCKS", i(1)},
        {"Proxy.Data.Enable", i(1)},
        {"Proxy.Data.SOCKS.inform", i(1)},
        {"Proxy.Data.Same", i(1)},
        {"Peer Source Selection Default.DHT", i(1)},
        {"Peer Source Selection Default.Plugin", i(0)},
        {"Peer Source Selection Default.PeerExchange", i(1)},
        {"Sharing Permit DHT", i(0)},
        {"Server Enable UDP", i(1)},
        {"Plugin.DHT.dht.enabled", i(0)},
        {"Tracker Port UDP Enable", i(1)},
        {"peercontrol.prefer.udp", i(0)},
        {"network.transport.encrypted.require", i(1)},
        {"network.transport.encrypted.min_level", "Plain"},
        {"network.transport.encrypted.fallback.incoming", i(1)},
        {"network.transport.encrypted.fallback.outgoing", i(0)},
    };
    QTest::newRow("Vuze") << int(VuzeClient) << "azureus.config" << vuze << QByteArrayList{"Start On Login"};
}

// A realistic file of each format, given the tunnel's proxy and the account: every handled
// key ends as expected, every other key (nested lists and dictionaries, binary values)
// passes through unchanged.
void TestClientConfig::tunnelSettings()
{
    QFETCH(int, type);
    QFETCH(QString, fixtureName);
    QFETCH(Fields, changed);
    QFETCH(QByteArrayList, removed);

    const QByteArray original = fixture(fixtureName);
    QVERIFY(!original.isEmpty());
    const QString path = put(original, fixtureName);
    const std::unique_ptr<ClientConfig> config = ClientCreator::createClientConfig(type);
    QVERIFY(config);
    QVERIFY2(config->open(path), qPrintable(config->errorString()));
    config->setProxyType(ClientConfig::Socks5);
    config->setProxyAddress("127.0.0.1");
    config->setProxyPort(26268);
    config->setAccount(QStringLiteral("alice"), QStringLiteral("s3cret"));
    QVERIFY2(config->write(true), qPrintable(config->errorString()));
    QCOMPARE(config->error(), 0);

    Dictionary expected = parsed(original);
    for (const auto& field : changed) {
        const QVariant value = field.second.typeId() == QMetaType::QString ? QVariant(field.second.toByteArray())
                                                                           : field.second;
        expected.insert(field.first, value);
    }
    for (const QByteArray& key : removed)
        expected.remove(key);

    const Dictionary actual = parsed(readAll(path));
    QCOMPARE(actual.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QByteArray want = BencodeWriter().makeElementData(it.value(), nullptr);
        const QByteArray got = BencodeWriter().makeElementData(actual.value(it.key()), nullptr);
        QVERIFY2(got == want, qPrintable(QString::fromLatin1(it.key() + ": " + got + " != " + want)));
    }
    for (const QByteArray& key : removed)
        QVERIFY2(!actual.contains(key), key.constData());
    // The file is canonical bencode of exactly these entries.
    QCOMPARE(readAll(path), encode(expected));

    // A second write without a new open writes the same working copy again.
    QVERIFY(config->write(false));
    QCOMPARE(readAll(path), encode(expected));
}

void TestClientConfig::setupFieldsInOrder()
{
    QByteArrayList uKeys;
    for (const auto& field : UTorrentConfig::SetupFields)
        uKeys << field.first;
    QCOMPARE(uKeys, (QByteArrayList{"proxy.p2p", "proxy.resolve", "no_local_dns", "private_ip", "only_proxied_conns",
                                    "rand_port_on_start", "bt.transp_disposition", "autostart", "dht",
                                    "dht_per_torrent", "lsd", "pex", "use_udp_trackers", "encryption_mode",
                                    "net.max_halfopen"}));
    QByteArrayList vKeys;
    for (const auto& field : VuzeConfig::SetupFields)
        vKeys << field.first;
    QCOMPARE(vKeys, (QByteArrayList{"User Mode", "Enable.Proxy", "Enable.SOCKS", "Proxy.Data.Enable",
                                    "Proxy.Data.SOCKS.inform", "Proxy.Data.Same", "Start On Login",
                                    "Peer Source Selection Default.DHT", "Peer Source Selection Default.Plugin",
                                    "Peer Source Selection Default.PeerExchange", "Sharing Permit DHT",
                                    "Server Enable UDP", "Plugin.DHT.dht.enabled", "Tracker Port UDP Enable",
                                    "peercontrol.prefer.udp", "network.transport.encrypted.require",
                                    "network.transport.encrypted.min_level",
                                    "network.transport.encrypted.fallback.incoming",
                                    "network.transport.encrypted.fallback.outgoing"}));
}

void TestClientConfig::readValues_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("listenPort");
    QTest::addColumn<int>("proxyType");
    QTest::addColumn<QByteArray>("proxyAddress");
    QTest::addColumn<int>("proxyPort");
    QTest::addColumn<QString>("downloadPath");

    const int u = UTorrentClient;
    const int v = VuzeClient;
    QTest::newRow("u minimal") << u << QByteArray("d9:bind_porti1ee") << 1 << 1 << QByteArray() << 8080
                               << "";
    QTest::newRow("u socks4") << u << QByteArray("d9:bind_porti2e10:proxy.typei1ee") << 2 << 2 << QByteArray()
                              << 8080 << "";
    QTest::newRow("u socks5") << u << QByteArray("d9:bind_porti2e10:proxy.typei2ee") << 2 << 4 << QByteArray()
                              << 8080 << "";
    QTest::newRow("u https") << u << QByteArray("d9:bind_porti2e10:proxy.typei3ee") << 2 << 6 << QByteArray()
                             << 8080 << "";
    QTest::newRow("u http") << u << QByteArray("d9:bind_porti2e10:proxy.typei4ee") << 2 << 5 << QByteArray() << 8080
                            << "";
    QTest::newRow("u proxy")
        << u << QByteArray("d9:bind_porti3e10:proxy.porti1080e11:proxy.proxy3:h.ie") << 3 << 1 << QByteArray("h.i")
        << 1080 << "";
    QTest::newRow("u path flag 1")
        << u << QByteArray("d19:dir_active_download4:/a\xe9z24:dir_active_download_flagi1e9:bind_porti4ee") << 4 << 1
        << QByteArray() << 8080 << QString::fromLatin1("/a\xe9z");
    QTest::newRow("u path flag 0")
        << u << QByteArray("d19:dir_active_download2:/a24:dir_active_download_flagi0e9:bind_porti4ee") << 4 << 1
        << QByteArray() << 8080 << "";
    QTest::newRow("v minimal") << v << QByteArray("d15:TCP.Listen.Porti7ee") << 7 << 1 << QByteArray() << -1 << "";
    QTest::newRow("v V4a text port")
        << v << QByteArray("d15:TCP.Listen.Porti7e24:Proxy.Data.SOCKS.version3:V4a10:Proxy.Port4:108010:Proxy.Host1:xe")
        << 7 << 3 << QByteArray("x") << 1080 << "";
    QTest::newRow("v V5 integer port")
        << v << QByteArray("d15:TCP.Listen.Porti7e24:Proxy.Data.SOCKS.version2:V510:Proxy.Porti99e17:Default save path2:/de")
        << 7 << 4 << QByteArray() << 99 << "/d";
}

void TestClientConfig::readValues()
{
    QFETCH(int, type);
    QFETCH(QByteArray, content);
    QFETCH(int, listenPort);
    QFETCH(int, proxyType);
    QFETCH(QByteArray, proxyAddress);
    QFETCH(int, proxyPort);
    QFETCH(QString, downloadPath);

    const std::unique_ptr<ClientConfig> config = ClientCreator::createClientConfig(type);
    QVERIFY2(config->open(put(content)), qPrintable(config->errorString()));
    QCOMPARE(config->listenPort(), listenPort);
    QCOMPARE(config->proxyType(), proxyType);
    QCOMPARE(config->proxyAddress(), proxyAddress);
    QCOMPARE(config->proxyPort(), proxyPort);
    QCOMPARE(config->downloadPath(), downloadPath);
    QCOMPARE(config->error(), 0);
}

void TestClientConfig::openErrors_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");

    const int u = UTorrentClient;
    const int b = BitTorrentClient;
    const int v = VuzeClient;
    QTest::newRow("u no bind port") << u << QByteArray("d3:fooi1ee") << 4
                                    << "\"Bind port\" value is null; try to restart uTorrent/BitTorrent";
    QTest::newRow("b no bind port") << b << QByteArray("de") << 4
                                    << "\"Bind port\" value is null; try to restart uTorrent/BitTorrent";
    QTest::newRow("u bind port text") << u << QByteArray("d9:bind_port2:12e") << 4
                                      << "Failed converting \"bind port\" value from variant to int";
    QTest::newRow("u proxy type text") << u << QByteArray("d9:bind_porti1e10:proxy.type1:2e") << 4
                                       << "Failed converting \"proxy type\" value from variant to int";
    QTest::newRow("u proxy type 0") << u << QByteArray("d9:bind_porti1e10:proxy.typei0ee") << 4
                                    << "Proxy type number 0 is not supported";
    QTest::newRow("u proxy type 5") << u << QByteArray("d9:bind_porti1e10:proxy.typei5ee") << 4
                                    << "Proxy type number 5 is not supported";
    QTest::newRow("u proxy port text") << u << QByteArray("d9:bind_porti1e10:proxy.port4:8080e") << 4
                                       << "Failed converting \"proxy port\" value from variant to int";
    QTest::newRow("u download flag text")
        << u << QByteArray("d9:bind_porti1e24:dir_active_download_flag1:1e") << 4
        << "Failed converting \"download flag\" value from variant to int";
    QTest::newRow("v no tcp port") << v << QByteArray("d15:UDP.Listen.Porti1ee") << 4 << "\"TCP listen port\" value is null";
    QTest::newRow("v tcp port text") << v << QByteArray("d15:TCP.Listen.Port1:1e") << 4
                                     << "Failed converting \"TCP listen port\" value from variant to int";
    QTest::newRow("v unknown socks") << v << QByteArray("d15:TCP.Listen.Porti1e24:Proxy.Data.SOCKS.version2:V6e")
                                     << 4 << "Unknown proxy type V6";
    QTest::newRow("v proxy port text") << v << QByteArray("d15:TCP.Listen.Porti1e10:Proxy.Port3:abce") << 4
                                       << "Failed converting \"proxy port\" value from variant to int";
    QTest::newRow("v proxy port list") << v << QByteArray("d15:TCP.Listen.Porti1e10:Proxy.Portlee") << 4
                                       << "Failed converting \"proxy port\" value from variant to int";
    QTest::newRow("not bencode") << u << QByteArray("garbage") << 2 << "Error when parsing file: \"\"";
    QTest::newRow("broken bencode") << v << QByteArray("d1:ai5xe") << 2
                                    << "Error when parsing file: \"error at index 6\"";
    QTest::newRow("empty file") << u << QByteArray() << 2
                                << "Error when reading file: empty content. QFile error: Unknown error";
}

void TestClientConfig::openErrors()
{
    QFETCH(int, type);
    QFETCH(QByteArray, content);
    QFETCH(int, error);
    QFETCH(QString, message);

    const std::unique_ptr<ClientConfig> config = ClientCreator::createClientConfig(type);
    QVERIFY(!config->open(put(content)));
    QCOMPARE(config->error(), error);
    QCOMPARE(config->errorString(), message);
}

void TestClientConfig::missingFileOpen()
{
    const QString path = m_dir->filePath(QStringLiteral("none.dat"));
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Torrent client config file doesn't exist; \"%1\"; try to start and "
                                                   "then close torrent client manually to create initialconfig")
                                        .arg(path)));
    UTorrentConfig config;
    QVERIFY(!config.open(path));
    QCOMPARE(config.error(), 0);
    QVERIFY(config.errorString().isEmpty());
}

void TestClientConfig::failedProxyTypeLeavesFile_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("fixtureName");
    QTest::addColumn<int>("proxyType");

    QTest::newRow("uTorrent socks4a") << int(UTorrentClient) << "utorrent-settings.dat" << 3;
    QTest::newRow("BitTorrent socks4a") << int(BitTorrentClient) << "bittorrent-settings.dat" << 3;
    QTest::newRow("uTorrent 7") << int(UTorrentClient) << "utorrent-settings.dat" << 7;
    QTest::newRow("Vuze disabled") << int(VuzeClient) << "azureus.config" << 1;
    QTest::newRow("Vuze http") << int(VuzeClient) << "azureus.config" << 5;
}

void TestClientConfig::failedProxyTypeLeavesFile()
{
    QFETCH(int, type);
    QFETCH(QString, fixtureName);
    QFETCH(int, proxyType);

    const QByteArray original = fixture(fixtureName);
    const QString path = put(original, fixtureName);
    const std::unique_ptr<ClientConfig> config = ClientCreator::createClientConfig(type);
    QVERIFY(config->open(path));
    config->setProxyType(proxyType);
    QVERIFY(!config->write(true));
    QCOMPARE(config->error(), 3);
    QCOMPARE(config->errorString(), QStringLiteral("Error setting proxy type: unknown type value %1").arg(proxyType));
    QCOMPARE(readAll(path), original);
}

void TestClientConfig::defaultProxyPortNotWritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("port");
    QTest::newRow("8080 in file") << QByteArray("d9:bind_porti1e10:proxy.porti8080ee") << -2;
    QTest::newRow("none in file") << QByteArray("d9:bind_porti1ee") << -2;
    QTest::newRow("set 8080") << QByteArray("d9:bind_porti1e10:proxy.porti1080ee") << 8080;
    QTest::newRow("set negative") << QByteArray("d9:bind_porti1e10:proxy.porti1080ee") << -1;
}

void TestClientConfig::defaultProxyPortNotWritten()
{
    QFETCH(QByteArray, content);
    QFETCH(int, port);
    const QString path = put(content);
    UTorrentConfig config;
    QVERIFY(config.open(path));
    if (port != -2)
        config.setProxyPort(port);
    QVERIFY(config.write(false));
    const Dictionary written = parsed(readAll(path));
    QVERIFY(!written.contains("proxy.port"));
    QVERIFY(!written.contains("proxy.type"));
    QCOMPARE(written.value("bind_port").toLongLong(), 1LL);
}

void TestClientConfig::vuzePorts()
{
    const QString path = put("d15:TCP.Listen.Porti1e23:UDP.NonData.Listen.Porti9e24:Proxy.Data.SOCKS.version2:V4e");
    VuzeConfig config;
    QVERIFY(config.open(path));
    config.setListenPort(6881);
    config.setProxyPort(1080);
    QVERIFY(config.write(true));
    Dictionary written = parsed(readAll(path));
    for (const QByteArray key : {"TCP.Listen.Port", "UDP.Listen.Port", "UDP.NonData.Listen.Port"}) {
        QCOMPARE(written.value(key).typeId(), int(QMetaType::LongLong));
        QCOMPARE(written.value(key).toLongLong(), 6881LL);
    }
    QCOMPARE(written.value("Proxy.Port").typeId(), int(QMetaType::QByteArray));
    QCOMPARE(written.value("Proxy.Port").toByteArray(), QByteArray("1080"));
    QCOMPARE(written.value("Proxy.Data.SOCKS.version").toByteArray(), QByteArray("V4"));
    QVERIFY(!written.contains("Proxy.Username"));

    config.setListenPort(-1);
    config.setProxyPort(-1);
    QVERIFY(config.write(true));
    written = parsed(readAll(path));
    for (const QByteArray key : {"TCP.Listen.Port", "UDP.Listen.Port", "UDP.NonData.Listen.Port", "Proxy.Port"})
        QVERIFY2(!written.contains(key), key.constData());
}

void TestClientConfig::emptyPasswordRemovesCredentials()
{
    const QByteArray original = fixture(QStringLiteral("utorrent-settings.dat"));
    const QString path = put(original);
    UTorrentConfig config;
    QVERIFY(config.open(path));
    config.setAccount(QStringLiteral("alice"), QString());
    QVERIFY(config.write(true));
    const Dictionary written = parsed(readAll(path));
    QVERIFY(parsed(original).contains("proxy.username"));
    QVERIFY(!written.contains("proxy.auth"));
    QVERIFY(!written.contains("proxy.username"));
    QVERIFY(!written.contains("proxy.password"));
    QCOMPARE(written.value("proxy.resolve").toLongLong(), 1LL);
}

void TestClientConfig::writeErrors()
{
    const QString folder = m_dir->filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/settings.dat");
    QVERIFY(writeAll(path, "d9:bind_porti1ee"));
    UTorrentConfig config;
    QVERIFY(config.open(path));
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(!config.write(true));
    QCOMPARE(config.error(), 3);
    QVERIFY2(config.errorString().startsWith(
                 QStringLiteral("Error open file in write mode: \"%1\"; QFile error: ").arg(path)),
             qPrintable(config.errorString()));
    QVERIFY(config.errorString().size() > QStringLiteral("Error open file in write mode: \"\"; QFile error: ").size() + path.size());
    QVERIFY(!config.errorString().contains(QStringLiteral("s3cret")));
}

void TestClientConfig::noWriteAfterFailedRead_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("unreadable");
    QTest::newRow("uTorrent unreadable") << int(UTorrentClient) << QByteArray("d9:bind_porti2e4:keepi1ee") << true;
    QTest::newRow("Vuze unreadable") << int(VuzeClient) << QByteArray("d15:TCP.Listen.Porti2e4:keepi1ee") << true;
    QTest::newRow("uTorrent unparsable") << int(UTorrentClient) << QByteArray("d9:bind_porti2e4:keepi1x") << false;
}

// A file that could not be read is never replaced by a working copy that holds none of it.
void TestClientConfig::noWriteAfterFailedRead()
{
    QFETCH(int, type);
    QFETCH(QByteArray, content);
    QFETCH(bool, unreadable);

    const QString first = put(fixture(type == VuzeClient ? QStringLiteral("azureus.config")
                                                         : QStringLiteral("utorrent-settings.dat")),
                              QStringLiteral("first"));
    const QString second = put(content, QStringLiteral("second"));
    const std::unique_ptr<ClientConfig> config = ClientCreator::createClientConfig(type);
    QVERIFY(config->open(first));
    config->setProxyType(ClientConfig::Socks5);
    config->setAccount(QStringLiteral("alice"), QStringLiteral("s3cret"));

    bool opened = true;
    if (unreadable) {
        QVERIFY(QFile::setPermissions(second, QFileDevice::WriteOwner));
        TestSupport::NoDacOverride guard;
        QVERIFY(guard.isValid() || ::geteuid() != 0);
        opened = config->open(second);
    } else {
        opened = config->open(second);
    }
    QFile::setPermissions(second, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(!opened);
    QCOMPARE(config->error(), 2);
    QCOMPARE(config->errorString(), unreadable ? QStringLiteral("Error when opening file: \"%1\"").arg(second)
                                               : QStringLiteral("Error when parsing file: \"error at index 23\""));

    QVERIFY(!config->write(true));
    QCOMPARE(config->error(), 3);
    QCOMPARE(config->errorString(), QStringLiteral("No settings read from \"%1\" to write back").arg(second));
    QCOMPARE(readAll(second), content);
}

void TestClientConfig::proxyTypeString_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "Undefined proxy type";
    QTest::newRow("1") << 1 << "Proxy disabled";
    QTest::newRow("2") << 2 << "Socks4";
    QTest::newRow("3") << 3 << "Socks4a";
    QTest::newRow("4") << 4 << "Socks5";
    QTest::newRow("5") << 5 << "HTTP";
    QTest::newRow("6") << 6 << "HTTPS";
    QTest::newRow("7") << 7 << "Unknown proxy type";
    QTest::newRow("99") << 99 << "Unknown proxy type";
}

void TestClientConfig::proxyTypeString()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    VuzeConfig config;
    config.setProxyType(type);
    QCOMPARE(config.proxyTypeString(), text);
}

QTEST_GUILESS_MAIN(TestClientConfig)
#include "tst_clientconfig.moc"
