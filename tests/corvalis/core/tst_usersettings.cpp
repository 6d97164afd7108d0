#include "core/usersettings.h"

#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using Core::UserSettings;

Q_DECLARE_METATYPE(Core::UserSettings::Server)

namespace {

const QByteArray serviceSection = "[service]\nupdate_server=ftp://127.0.0.1\nverify_server=https://127.0.0.1:8443\n";

QByteArray serverSection(int index, const QByteArray& body)
{
    QByteArray out;
    for (const QByteArray& line : body.split('\n')) {
        if (!line.isEmpty())
            out += "server" + QByteArray::number(index) + "\\" + line + "\n";
    }
    return out;
}

QByteArray goodServer(int index)
{
    return serverSection(index, "address=10.0.0." + QByteArray::number(index + 1) + "\nname=S"
                                    + QByteArray::number(index) + "\nport=22");
}

using TestSupport::readFile;
using TestSupport::writeFile;

int fileMode(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

UserSettings::Server makeServer(const QString& name, const QString& address, int port)
{
    UserSettings::Server server;
    if (!name.isNull())
        server.names.insert(QLocale::C, name);
    server.address = QUrl(address);
    server.port = port;
    return server;
}

UserSettings::Service goodService()
{
    return {QUrl("ftp://127.0.0.1"), QUrl("https://127.0.0.1:8443")};
}

// Watches a folder from another thread and remembers whether any copy of user.conf
// (the file itself or a temporary beside it) was ever open to group or others.
class ModeWatcher
{
public:
    ModeWatcher(const QString& dir, bool includeTarget) : m_dir(QFile::encodeName(dir)), m_includeTarget(includeTarget)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~ModeWatcher() { stop(); }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    int looseModesSeen() const { return m_loose; }
    int scans() const { return m_scans; }

private:
    void run()
    {
        while (!m_stop) {
            DIR* dir = ::opendir(m_dir.constData());
            if (!dir)
                continue;
            while (dirent* entry = ::readdir(dir)) {
                const QByteArray name(entry->d_name);
                if (!name.startsWith("user.conf") || name.endsWith(".lock") || (!m_includeTarget && name == "user.conf"))
                    continue;
                struct stat st;
                if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && (st.st_mode & 077))
                    ++m_loose;
            }
            ::closedir(dir);
            ++m_scans;
        }
    }

    QByteArray m_dir;
    bool m_includeTarget;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_loose{0};
    std::atomic<int> m_scans{0};
    std::thread m_thread;
};

QStringList sectionsInFile(const QString& path)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup("serversList");
    return settings.childGroups();
}

} // namespace

class TestUserSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void singleton();
    void readValid();
    void readErrors_data();
    void readErrors();
    void optionalServerKeys_data();
    void optionalServerKeys();
    void localizedNames_data();
    void localizedNames();
    void account_data();
    void account();
    void namesRoundTrip_data();
    void namesRoundTrip();
    void maxSessionsNotWritten();
    void writeShrinksSections();
    void writeErrors_data();
    void writeErrors();
    void writeAccountRemovesSection();
    void authKeyStaysInMemory();
    void openResets();
    void notOpen();
    void writeFailure();
    void failedWriteFlushedLater_data();
    void failedWriteFlushedLater();
    void privateFileMode_data();
    void privateFileMode();
    void neverOpenWhileWritten_data();
    void neverOpenWhileWritten();
    void subscriptionsOwned();
    void deliveredTemplate();

private:
    QString path() const { return m_dir->filePath("user.conf"); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserSettings> m_settings;
};

void TestUserSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settings = std::make_unique<UserSettings>();
}

void TestUserSettings::cleanup()
{
    m_settings.reset();
    m_dir.reset();
}

void TestUserSettings::singleton()
{
    UserSettings* first = UserSettings::instance();
    QCOMPARE(UserSettings::instance(), first);
    first->setAuthKey("key");
    UserSettings::freeInstance();
    UserSettings* second = UserSettings::instance();
    QVERIFY(second->account().authKey.isEmpty());
    QVERIFY(second->serverList().isEmpty());
    UserSettings::freeInstance();
    UserSettings::freeInstance(); // harmless when already freed
}

void TestUserSettings::readValid()
{
    QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0)
                                  + serverSection(1, "address=vpn.example.net\nname=Two\nname_de=Zwei\nport=2200\n"
                                                     "proxy_port=1081\nmax_sessions=3")
                                  + serviceSection
                                  + "[account]\nlogin=ssh-user\npassword=ssh-secret\nqv_login=me\n"
                                    "qv_password=0123456789abcdef0123456789abcdef\n"));
    QVERIFY(m_settings->open(path()));
    QVERIFY2(m_settings->read(), qPrintable(m_settings->errorString()));
    QVERIFY(!m_settings->errorOccurred());

    const QList<UserSettings::Server> servers = m_settings->serverList();
    QCOMPARE(servers.size(), 2);
    QCOMPARE(servers[0].address, QUrl("10.0.0.1"));
    QCOMPARE(servers[0].names.value(QLocale::C), QString("S0"));
    QCOMPARE(servers[0].port, 22);
    QCOMPARE(servers[0].proxyPort, 1080);
    QCOMPARE(servers[0].maxSessions, 5);
    QCOMPARE(servers[1].address.toString(), QString("vpn.example.net"));
    QCOMPARE(servers[1].names.value(QLocale::German), QString("Zwei"));
    QCOMPARE(servers[1].port, 2200);
    QCOMPARE(servers[1].proxyPort, 1081);
    QCOMPARE(servers[1].maxSessions, 3);

    QCOMPARE(m_settings->service().updateServer, QUrl("ftp://127.0.0.1"));
    QCOMPARE(m_settings->service().verifyServer, QUrl("https://127.0.0.1:8443"));
    const UserSettings::Account account = m_settings->account();
    QCOMPARE(account.login, QString("ssh-user"));
    QCOMPARE(account.password, QString("ssh-secret"));
    QCOMPARE(account.qvLogin, QString("me"));
    QCOMPARE(account.qvPassword, QString("0123456789abcdef0123456789abcdef"));

    // A second read replaces the list instead of appending to it.
    QVERIFY(m_settings->read());
    QCOMPARE(m_settings->serverList().size(), 2);
}

void TestUserSettings::readErrors_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("serversRead");

    const QByteArray head = "[serversList]\n";
    QTest::newRow("missing file") << QByteArray() << false << "Server sections not found" << 0;
    QTest::newRow("no server sections") << QByteArray(serviceSection) << false << "Server sections not found" << 0;
    QTest::newRow("no address") << head + serverSection(0, "name=A\nport=22") + serviceSection << false
                                << "Server address at section #0 not found" << 0;
    QTest::newRow("unparsable address") << head + serverSection(0, "address=http://[::1\nname=A\nport=22") + serviceSection
                                        << false << "Server address at section #0 not found" << 0;
    QTest::newRow("no name") << head + serverSection(0, "address=h\nport=22") + serviceSection << false
                             << "Server C-name at section #0 not found" << 0;
    QTest::newRow("empty name") << head + serverSection(0, "address=h\nname=\nport=22") + serviceSection << false
                                << "Server C-name at section #0 not found" << 0;
    QTest::newRow("port abc, later sections read")
        << head + serverSection(0, "address=h\nname=A\nport=abc") + goodServer(1) + goodServer(2) + serviceSection
        << false << "Server port at section #0 not found" << 2;
    QTest::newRow("no port") << head + serverSection(0, "address=h\nname=A") + serviceSection << false
                             << "Server port at section #0 not found" << 0;
    QTest::newRow("port beyond int") << head + serverSection(0, "address=h\nname=A\nport=99999999999") + serviceSection
                                     << false << "Server port at section #0 not found" << 0;
    QTest::newRow("port beyond 65535") << head + serverSection(0, "address=h\nname=A\nport=70000") + serviceSection
                                       << false << "Server port at section #0 not found" << 0;
    QTest::newRow("port wrapping to 22") << head + serverSection(0, "address=h\nname=A\nport=4294967318") + serviceSection
                                         << false << "Server port at section #0 not found" << 0;
    QTest::newRow("port zero") << head + serverSection(0, "address=h\nname=A\nport=0") + serviceSection << false
                               << "Server port at section #0 not found" << 0;
    QTest::newRow("last failure wins")
        << head + serverSection(0, "name=A\nport=22") + goodServer(1) + serverSection(2, "address=h\nport=22")
               + serviceSection
        << false << "Server C-name at section #2 not found" << 1;
    QTest::newRow("gap in numbering") << head + goodServer(0) + goodServer(2) + serviceSection << false
                                      << "Server address at section #1 not found" << 1;
    QTest::newRow("no service") << head + goodServer(0) << false << "Invalid service section" << 1;
    QTest::newRow("partial service") << head + goodServer(0) + "[service]\nupdate_server=ftp://h\n" << false
                                     << "Invalid service section" << 1;
    QTest::newRow("binary bytes") << QByteArray("\x00\xff\xfe[\x01serversList\x00]\n\x80\x81=\x00\x00", 16) << false
                                  << "Server sections not found" << 0;
    QTest::newRow("variant blob as address")
        << head + serverSection(0, "address=@Variant(\\0\\0\\0\\x7f\\xff\\xff\\xff\\xff)\nname=A\nport=22")
               + serviceSection
        << false << "Server address at section #0 not found" << 0;
    QTest::newRow("garbage lines around valid data")
        << "garbage without equals\n;;;\n" + head + "nonsense\n" + goodServer(0) + "===\n" + serviceSection
        << true << QString() << 1;
    QTest::newRow("huge name") << head + serverSection(0, "address=h\nport=22\nname=" + QByteArray(4 << 20, 'n'))
                                      + serviceSection
                               << true << QString() << 1;
    QTest::newRow("many sections") << [] {
        QByteArray many = "[serversList]\n";
        for (int i = 0; i < 2000; ++i)
            many += goodServer(i);
        return many + serviceSection;
    }() << true << QString() << 2000;
}

void TestUserSettings::readErrors()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    QFETCH(int, serversRead);
    if (!content.isNull())
        QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->open(path()));
    QCOMPARE(m_settings->read(), ok);
    QCOMPARE(m_settings->errorString(), error);
    QCOMPARE(m_settings->errorOccurred(), !error.isEmpty());
    QCOMPARE(m_settings->serverList().size(), serversRead);
}

void TestUserSettings::optionalServerKeys_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("proxyPort");
    QTest::addColumn<int>("maxSessions");

    QTest::newRow("absent") << QByteArray() << 1080 << 5;
    QTest::newRow("given") << QByteArray("proxy_port=1090\nmax_sessions=3") << 1090 << 3;
    QTest::newRow("not integers") << QByteArray("proxy_port=socks\nmax_sessions=many") << 1080 << 5;
    QTest::newRow("proxy port out of range") << QByteArray("proxy_port=65536") << 1080 << 5;
    QTest::newRow("huge") << QByteArray("proxy_port=123456789012345\nmax_sessions=123456789012345") << 1080 << 5;
}

void TestUserSettings::optionalServerKeys()
{
    QFETCH(QByteArray, lines);
    QFETCH(int, proxyPort);
    QFETCH(int, maxSessions);
    QVERIFY(writeFile(path(), "[serversList]\n" + serverSection(0, "address=h\nname=A\nport=22\n" + lines) + serviceSection));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    QCOMPARE(m_settings->serverList().at(0).proxyPort, proxyPort);
    QCOMPARE(m_settings->serverList().at(0).maxSessions, maxSessions);
}

void TestUserSettings::localizedNames_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QList<int>>("languages");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("ru and de") << QByteArray("name_ru=Russian\nname_de=German")
                               << QList<int>{QLocale::German, QLocale::Russian} << QStringList{"German", "Russian"};
    QTest::newRow("searched, not anchored") << QByteArray("name_russian=Long key")
                                            << QList<int>{QLocale::Russian} << QStringList{"Long key"};
    QTest::newRow("inside a longer key") << QByteArray("display_name_fr=Paris") << QList<int>{QLocale::French}
                                         << QStringList{"Paris"};
    QTest::newRow("case-sensitive key") << QByteArray("Name_ru=ignored") << QList<int>{} << QStringList{};
    QTest::newRow("unknown code keeps neutral name") << QByteArray("name_zz=Bogus\nname_12=Digits") << QList<int>{}
                                                     << QStringList{};
    QTest::newRow("one letter") << QByteArray("name_r=Short") << QList<int>{} << QStringList{};
}

void TestUserSettings::localizedNames()
{
    QFETCH(QByteArray, lines);
    QFETCH(QList<int>, languages);
    QFETCH(QStringList, names);
    QVERIFY(writeFile(path(), "[serversList]\n" + serverSection(0, "address=h\nname=Neutral\nport=22\n" + lines)
                                  + serviceSection));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    const UserSettings::Server server = m_settings->serverList().at(0);
    QCOMPARE(server.names.value(QLocale::C), QString("Neutral"));
    QCOMPARE(server.names.size(), languages.size() + 1);
    for (int i = 0; i < languages.size(); ++i)
        QCOMPARE(server.names.value(QLocale::Language(languages[i])), names[i]);
}

void TestUserSettings::account_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QStringList>("expected"); // login, password, qv_login, qv_password

    QTest::newRow("none") << QByteArray() << QStringList{"", "", "", ""};
    QTest::newRow("complete") << QByteArray("[account]\nlogin=l\npassword=p\nqv_login=q\nqv_password=d\n")
                              << QStringList{"l", "p", "q", "d"};
    QTest::newRow("login without password") << QByteArray("[account]\nlogin=l\nqv_login=q\nqv_password=d\n")
                                            << QStringList{"", "", "q", "d"};
    QTest::newRow("account name without digest") << QByteArray("[account]\nlogin=l\npassword=p\nqv_login=q\n")
                                                 << QStringList{"l", "p", "", ""};
}

void TestUserSettings::account()
{
    QFETCH(QByteArray, section);
    QFETCH(QStringList, expected);
    QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0) + serviceSection + section));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    const UserSettings::Account account = m_settings->account();
    QCOMPARE((QStringList{account.login, account.password, account.qvLogin, account.qvPassword}), expected);
}

void TestUserSettings::namesRoundTrip_data()
{
    QTest::addColumn<QString>("neutral");
    QTest::addColumn<QString>("russian");

    QTest::newRow("ascii") << "Amsterdam" << "Amsterdam";
    QTest::newRow("cyrillic") << QString::fromUtf8("Москва") << QString::fromUtf8("Москва, Россия");
    QTest::newRow("cjk and emoji") << QString::fromUtf8("東京 🗼") << QString::fromUtf8("Токио");
    QTest::newRow("ini syntax") << QString("a, b; c # d = e [f] \"g\" \\h") << QString("%General%");
    QTest::newRow("line breaks") << QString("first\nsecond\r\nthird") << QString("\ttab");
}

void TestUserSettings::namesRoundTrip()
{
    QFETCH(QString, neutral);
    QFETCH(QString, russian);
    UserSettings::Server server = makeServer(neutral, "198.51.100.7", 2222);
    server.names.insert(QLocale::Russian, russian);
    m_settings->open(path());
    m_settings->setServerList({server});
    m_settings->setService(goodService());
    QVERIFY2(m_settings->write(), qPrintable(m_settings->errorString()));

    UserSettings reader;
    reader.open(path());
    QVERIFY2(reader.read(), qPrintable(reader.errorString()));
    QCOMPARE(reader.serverList().at(0).names.value(QLocale::C), neutral);
    QCOMPARE(reader.serverList().at(0).names.value(QLocale::Russian), russian);
    QCOMPARE(reader.serverList().at(0).address, server.address);
    QCOMPARE(reader.serverList().at(0).port, 2222);
    if (neutral.contains(QChar(0x41c))) // stored as UTF-8 text, not as escapes
        QVERIFY(readFile(path()).contains(neutral.toUtf8()));
}

void TestUserSettings::maxSessionsNotWritten()
{
    QVERIFY(writeFile(path(), "[serversList]\n" + serverSection(0, "address=h\nname=A\nport=22\nmax_sessions=3")
                                  + serviceSection));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    QCOMPARE(m_settings->serverList().at(0).maxSessions, 3);
    QVERIFY(m_settings->write());
    m_settings->open(path());
    QVERIFY(m_settings->read());
    QCOMPARE(m_settings->serverList().at(0).maxSessions, 5);
}

void TestUserSettings::writeShrinksSections()
{
    QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0) + goodServer(1) + goodServer(2) + serviceSection));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    m_settings->setServerList({makeServer("Only", "192.0.2.1", 22)});
    QVERIFY(m_settings->write());
    QCOMPARE(sectionsInFile(path()), QStringList{"server0"});
    m_settings->open(path());
    QVERIFY(m_settings->read());
    QCOMPARE(m_settings->serverList().size(), 1);
    QCOMPARE(m_settings->serverList().at(0).names.value(QLocale::C), QString("Only"));
}

void TestUserSettings::writeErrors_data()
{
    QTest::addColumn<QList<UserSettings::Server>>("servers");
    QTest::addColumn<bool>("validService");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("namesInFile"); // neutral names read back from the file

    const UserSettings::Server good = makeServer("Good", "192.0.2.1", 22);
    UserSettings::Server onlyRussian = makeServer(QString(), "192.0.2.2", 22);
    onlyRussian.names.insert(QLocale::Russian, "Ru");
    const QStringList untouched{"S0", "S1"};

    QTest::newRow("empty list keeps the file's servers")
        << QList<UserSettings::Server>{} << true << "Server list is empty; nothing to write" << untouched;
    QTest::newRow("no names") << QList<UserSettings::Server>{makeServer(QString(), "192.0.2.2", 22)} << true
                              << "Error when writing server params; empty field occurred" << untouched;
    QTest::newRow("no address") << QList<UserSettings::Server>{makeServer("A", "", 22)} << true
                                << "Error when writing server params; empty field occurred" << untouched;
    QTest::newRow("no neutral name") << QList<UserSettings::Server>{onlyRussian} << true
                                     << "Server entry must contains at least name for \"C\" locale" << untouched;
    QTest::newRow("unknown port") << QList<UserSettings::Server>{makeServer("A", "192.0.2.2", -1)} << true
                                  << "Invalid port value" << untouched;
    QTest::newRow("port out of range") << QList<UserSettings::Server>{makeServer("A", "192.0.2.2", 65536)} << true
                                       << "Invalid port value" << untouched;
    QTest::newRow("bad server in the middle, no gap")
        << QList<UserSettings::Server>{good, makeServer("Bad", "192.0.2.3", -1), makeServer("Third", "192.0.2.4", 22)}
        << true << "Invalid port value" << QStringList{"Good", "Third"};
    QTest::newRow("invalid service") << QList<UserSettings::Server>{good} << false
                                     << "Error when writing: invalid service section" << QStringList{"Good"};
}

void TestUserSettings::writeErrors()
{
    QFETCH(QList<UserSettings::Server>, servers);
    QFETCH(bool, validService);
    QFETCH(QString, error);
    QFETCH(QStringList, namesInFile);

    QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0) + goodServer(1) + serviceSection));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    m_settings->setServerList(servers);
    if (!validService)
        m_settings->setService({QUrl(), QUrl("https://127.0.0.1:8443")});
    QVERIFY(!m_settings->write());
    QCOMPARE(m_settings->errorString(), error);

    // Whatever failed, the file still reads; the service section is never lost.
    UserSettings reader;
    reader.open(path());
    QVERIFY2(reader.read(), qPrintable(reader.errorString()));
    QStringList names;
    for (const UserSettings::Server& server : reader.serverList())
        names << server.names.value(QLocale::C);
    QCOMPARE(names, namesInFile);
    QCOMPARE(reader.service().updateServer, QUrl("ftp://127.0.0.1"));
}

void TestUserSettings::writeAccountRemovesSection()
{
    QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0) + serviceSection
                                  + "[account]\nlogin=l\npassword=p\nqv_login=q\nqv_password=d\n"));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    UserSettings::Account account = m_settings->account();
    account.password.clear();
    m_settings->setAccount(account);
    QVERIFY(m_settings->write());
    QSettings file(path(), QSettings::IniFormat);
    file.beginGroup("account");
    QCOMPARE(file.childKeys(), QStringList());
}

void TestUserSettings::authKeyStaysInMemory()
{
    m_settings->open(path());
    m_settings->setServerList({makeServer("A", "192.0.2.1", 22)});
    m_settings->setService(goodService());
    m_settings->setAccount({"l", "p", "q", "d", "in-memory-key"});
    QVERIFY(m_settings->write());
    QVERIFY(!readFile(path()).contains("in-memory-key"));
    UserSettings reader;
    reader.open(path());
    QVERIFY(reader.read());
    const UserSettings::Account account = reader.account();
    QCOMPARE((QStringList{account.login, account.password, account.qvLogin, account.qvPassword, account.authKey}),
             (QStringList{"l", "p", "q", "d", ""}));
}

void TestUserSettings::openResets()
{
    QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0) + serviceSection
                                  + "[account]\nlogin=l\npassword=p\nqv_login=q\nqv_password=d\n"));
    m_settings->open(path());
    QVERIFY(m_settings->read());
    m_settings->setAuthKey("key");
    auto* subscription = new UserSettings::Subscription{1, 2, "c", "n", "x"};
    m_settings->setSubscriptions({subscription});

    const QString other = m_dir->filePath("other.conf");
    QVERIFY(m_settings->open(other));
    QVERIFY(!m_settings->read());
    QVERIFY(m_settings->serverList().isEmpty());
    QVERIFY(m_settings->service().updateServer.isEmpty());
    const UserSettings::Account account = m_settings->account();
    QVERIFY(account.login.isEmpty() && account.password.isEmpty() && account.qvLogin.isEmpty()
            && account.qvPassword.isEmpty());
    QCOMPARE(account.authKey, QString("key"));
    QCOMPARE(m_settings->subscriptions().size(), 1);
    QCOMPARE(m_settings->subscriptions().at(0)->status, 2);
    QVERIFY(!QFile::exists(other)); // opening and reading never creates the file
}

void TestUserSettings::notOpen()
{
    QVERIFY(!m_settings->read());
    QCOMPARE(m_settings->errorString(), QString("User settings file is not open"));
    QVERIFY(!m_settings->write());
    QCOMPARE(m_settings->errorString(), QString("User settings file is not open"));
}

void TestUserSettings::writeFailure()
{
    const QString blocker = m_dir->filePath("plainfile");
    QVERIFY(writeFile(blocker, "x"));
    m_settings->open(blocker + "/user.conf");
    m_settings->setServerList({makeServer("A", "192.0.2.1", 22)});
    m_settings->setService(goodService());
    QVERIFY(!m_settings->write());
    QCOMPARE(m_settings->errorString(), QString("Unable to create user settings file"));

    // A folder where the file should be: the flush itself fails.
    QVERIFY(QDir().mkpath(path()));
    m_settings->open(path());
    m_settings->setServerList({makeServer("A", "192.0.2.1", 22)});
    m_settings->setService(goodService());
    QVERIFY(!m_settings->write());
    QCOMPARE(m_settings->errorString(), QString("Unable to write user settings file"));

    // Once the way is clear, the next write succeeds and says so.
    QVERIFY(QDir().rmdir(path()));
    QVERIFY2(m_settings->write(), qPrintable(m_settings->errorString()));
    QVERIFY(!m_settings->errorOccurred());
    UserSettings reader;
    reader.open(path());
    QVERIFY(reader.read());
    QCOMPARE(fileMode(path()), 0600);
}

void TestUserSettings::failedWriteFlushedLater_data()
{
    QTest::addColumn<QString>("blocker"); // what makes the write fail
    QTest::addColumn<QString>("then");

    QTest::newRow("folder cleared, event loop") << "folder" << "events";
    QTest::newRow("folder cleared, another file opened") << "folder" << "open";
    QTest::newRow("folder cleared, freed at exit") << "folder" << "free";
    QTest::newRow("dangling link, event loop") << "link" << "events";
    QTest::newRow("dangling link, freed at exit") << "link" << "free";
}

void TestUserSettings::failedWriteFlushedLater()
{
    QFETCH(QString, blocker);
    QFETCH(QString, then);
    // Values of a write that could not be stored must not be stored later on by the
    // settings class itself, beyond the care taken for the file's permissions.
    struct MaskGuard
    {
        mode_t old = ::umask(0);
        ~MaskGuard() { ::umask(old); }
    } mask;
    if (blocker == "folder")
        QVERIFY(QDir().mkpath(path()));
    else
        QVERIFY(QFile::link(m_dir->filePath("target.conf"), path()));
    m_settings->open(path());
    m_settings->setServerList({makeServer("A", "192.0.2.1", 22)});
    m_settings->setService(goodService());
    m_settings->setAccount({"l", "clear-text-secret", "q", "d", QString()});
    QVERIFY(!m_settings->write());
    if (blocker == "folder")
        QVERIFY(QDir().rmdir(path()));

    if (then == "events")
        QCoreApplication::processEvents();
    else if (then == "open")
        m_settings->open(m_dir->filePath("other.conf"));
    else
        m_settings.reset();

    for (const QFileInfo& entry : QDir(m_dir->path()).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (readFile(entry.filePath()).contains("clear-text-secret"))
            QCOMPARE(fileMode(entry.filePath()), 0600);
    }
}

void TestUserSettings::privateFileMode_data()
{
    QTest::addColumn<int>("existingMode"); // -1: no file yet

    QTest::newRow("new file") << -1;
    QTest::newRow("existing 0644") << 0644;
    QTest::newRow("existing 0666") << 0666;
}

void TestUserSettings::privateFileMode()
{
    QFETCH(int, existingMode);
    // With no umask at all, anything the settings class creates on its own would be 0666.
    const mode_t oldMask = ::umask(0);
    if (existingMode >= 0) {
        QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0) + serviceSection));
        QVERIFY(::chmod(QFile::encodeName(path()).constData(), mode_t(existingMode)) == 0);
    }
    m_settings->open(path());
    if (existingMode >= 0)
        QVERIFY(m_settings->read());
    m_settings->setServerList({makeServer("A", "192.0.2.1", 22)});
    m_settings->setService(goodService());
    m_settings->setAccount({"l", "clear-text-secret", "q", "d", QString()});
    const bool written = m_settings->write();
    ::umask(oldMask);
    QVERIFY2(written, qPrintable(m_settings->errorString()));
    QCOMPARE(fileMode(path()), 0600);
    QVERIFY(readFile(path()).contains("clear-text-secret"));
    // No temporary or leftover copy of the secret next to it.
    for (const QFileInfo& entry : QDir(m_dir->path()).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (readFile(entry.filePath()).contains("clear-text-secret"))
            QCOMPARE(entry.fileName(), QString("user.conf"));
    }
    // A second write (file in place) keeps it private.
    QVERIFY(m_settings->write());
    QCOMPARE(fileMode(path()), 0600);
}

void TestUserSettings::neverOpenWhileWritten_data()
{
    privateFileMode_data();
}

void TestUserSettings::neverOpenWhileWritten()
{
    QFETCH(int, existingMode);
    const QByteArray file = QFile::encodeName(path());
    const mode_t oldMask = ::umask(0);
    if (existingMode >= 0)
        QVERIFY(writeFile(path(), "[serversList]\n" + goodServer(0) + serviceSection));
    m_settings->open(path());
    // With a loose file in place on purpose, only the copies written beside it count.
    ModeWatcher watcher(m_dir->path(), existingMode < 0);
    QTRY_VERIFY(watcher.scans() > 0);
    bool written = true;
    for (int i = 0; i < 40 && written; ++i) {
        if (existingMode >= 0)
            QVERIFY(::chmod(file.constData(), mode_t(existingMode)) == 0);
        m_settings->setServerList({makeServer("A" + QString::number(i), "192.0.2.1", 22)});
        m_settings->setService(goodService());
        m_settings->setAccount({"l", "secret", "q", "d", QString()});
        written = m_settings->write();
    }
    watcher.stop();
    ::umask(oldMask);
    QVERIFY(written);
    QCOMPARE(watcher.looseModesSeen(), 0);
    QCOMPARE(fileMode(path()), 0600);
}

void TestUserSettings::subscriptionsOwned()
{
    auto* a = new UserSettings::Subscription{1, 0, "", "", ""};
    auto* b = new UserSettings::Subscription{2, 0, "", "", ""};
    auto* c = new UserSettings::Subscription{3, 0, "", "", ""};
    m_settings->setSubscriptions({a, b});
    // b is handed over again and must survive; a is dropped and deleted (the sanitizer
    // build catches a double delete or a use after free here).
    m_settings->setSubscriptions({b, c});
    QCOMPARE(m_settings->subscriptions().size(), 2);
    QCOMPARE(m_settings->subscriptions().at(0)->type, 2);
    QCOMPARE(m_settings->subscriptions().at(1)->type, 3);
    // Its own list handed back keeps the records (and leaks none of them).
    m_settings->setSubscriptions(m_settings->subscriptions());
    QCOMPARE(m_settings->subscriptions().size(), 2);
    QCOMPARE(m_settings->subscriptions().at(1)->type, 3);
    m_settings->setSubscriptions({});
    QVERIFY(m_settings->subscriptions().isEmpty());
}

void TestUserSettings::deliveredTemplate()
{
    const QString delivered = QStringLiteral(CORVALIS_TESTS_DIR "/../resources/config/user.conf");
    QVERIFY(QFile::exists(delivered));
    // Read a copy: opening tightens the permissions of the file it is given.
    QVERIFY(QFile::copy(delivered, path()));
    m_settings->open(path());
    QVERIFY2(m_settings->read(), qPrintable(m_settings->errorString()));
    QCOMPARE(m_settings->serverList().size(), 1);
    const UserSettings::Server server = m_settings->serverList().at(0);
    QCOMPARE(server.address.toString(), QString("127.0.0.1"));
    QCOMPARE(server.port, 2222);
    QCOMPARE(server.proxyPort, 1080);
    QVERIFY(!server.names.value(QLocale::C).isEmpty());
    QVERIFY(!server.names.value(QLocale::Russian).isEmpty());
    QCOMPARE(m_settings->service().updateServer, QUrl("ftp://127.0.0.1"));
    QCOMPARE(m_settings->service().verifyServer, QUrl("https://127.0.0.1:8443"));
    QVERIFY(m_settings->account().login.isEmpty());
}

QTEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
