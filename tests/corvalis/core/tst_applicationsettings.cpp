#include "core/applicationsettings.h"

#include "support/files.h"

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using Core::ApplicationSettings;

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

struct Section
{
    QByteArray name;
    QList<QByteArray> lines;
};

// A complete file holding non-default values, so a rebuild is told apart from a read.
QList<Section> customSections()
{
    return {
        {"general_settings",
         {"last_update=2024-03-01T12:00:00Z", "update_mode=2", "launch_at_startup=false", "silent_start=true",
          "show_tray_notifications=false", "show_connection_errors=true", "use_builtin_client=true",
          "use_tunnel=false"}},
        {"connection_settings", {"server_selection=1", "server_row=4"}},
        {"client_settings", {"selected_client=2", "wizard_completed=true"}},
        {"torrents_settings", {}},
        {"statistics_settings", {"statistics_enabled=false"}},
        {"misc_settings", {"first_run=false", "close_dialog_always_ask=false", "client_restart_dialog_always_ask=false"}},
    };
}

QByteArray render(const QList<Section>& sections)
{
    QByteArray out;
    for (const Section& section : sections) {
        out += "[" + section.name + "]\n";
        for (const QByteArray& line : section.lines)
            out += line + "\n";
        out += "\n";
    }
    return out;
}

// The custom file with one key of one section replaced (or dropped when replacement is empty).
QByteArray customWith(const QByteArray& section, const QByteArray& key, const QByteArray& replacement)
{
    QList<Section> sections = customSections();
    for (Section& s : sections) {
        if (s.name != section)
            continue;
        QList<QByteArray> lines;
        for (const QByteArray& line : s.lines) {
            if (line.startsWith(key + "="))
                continue;
            lines << line;
        }
        if (!replacement.isEmpty())
            lines << replacement;
        s.lines = lines;
    }
    return render(sections);
}

bool holdsDefaults(const ApplicationSettings& settings)
{
    const auto g = settings.generalParams();
    const auto c = settings.connectionParams();
    const auto cl = settings.clientParams();
    const auto t = settings.torrentsParams();
    const auto s = settings.statisticsParams();
    const auto m = settings.miscParams();
    return g.lastUpdate.toMSecsSinceEpoch() == 0 && g.updateMode == 0 && g.launchAtStartup && !g.silentStart
        && g.showTrayNotifications && !g.showConnectionErrors && !g.useBuiltinClient && g.useTunnel
        && c.serverSelection == 0 && c.serverRow == 0 && cl.selectedClient == 0 && !cl.wizardCompleted
        && t.savePath == ApplicationSettings::defaultSavePath() && t.torrentSavePaths.isEmpty()
        && s.statisticsEnabled && m.firstRun && m.closeDialogAlwaysAsk && m.clientRestartDialogAlwaysAsk;
}

} // namespace

class TestApplicationSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void singleton();
    void missingFileGetsDefaults();
    void readValid();
    void damagedFileRebuilt_data();
    void damagedFileRebuilt();
    void olderDamagedCopyReplaced();
    void damagedCopyImpossible();
    void acceptedValues_data();
    void acceptedValues();
    void optionalGeneralKeys();
    void savePath_data();
    void savePath();
    void torrentEntries();
    void roundTrip();
    void writeFailure();
    void notRead();
    void deliveredTemplate();

private:
    QString path() const { return m_dir->filePath("app.conf"); }
    std::unique_ptr<TestSupport::TempHome> m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ApplicationSettings> m_settings;
};

void TestApplicationSettings::init()
{
    m_home = std::make_unique<TestSupport::TempHome>();
    QVERIFY(m_home->isValid());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settings = std::make_unique<ApplicationSettings>();
}

void TestApplicationSettings::cleanup()
{
    m_settings.reset();
    m_dir.reset();
    m_home.reset();
}

void TestApplicationSettings::singleton()
{
    ApplicationSettings* first = ApplicationSettings::instance();
    QCOMPARE(ApplicationSettings::instance(), first);
    QVERIFY(holdsDefaults(*first));
    first->setMiscParams({false, false, false});
    ApplicationSettings::freeInstance();
    QVERIFY(holdsDefaults(*ApplicationSettings::instance()));
    ApplicationSettings::freeInstance();
}

void TestApplicationSettings::missingFileGetsDefaults()
{
    QVERIFY(ApplicationSettings::defaultSavePath().startsWith(m_home->path()));
    QVERIFY(m_settings->read(path()));
    QVERIFY(!m_settings->errorOccurred());
    QVERIFY(holdsDefaults(*m_settings));
    QVERIFY(QFile::exists(path()));
    QVERIFY(!QFile::exists(path() + ".damaged"));

    QSettings file(path(), QSettings::IniFormat);
    QCOMPARE(file.childGroups(),
             (QStringList{"client_settings", "connection_settings", "general_settings", "misc_settings",
                          "statistics_settings", "torrents_settings"}));
    QCOMPARE(file.value("general_settings/launch_at_startup").toString(), QString("true"));
    QCOMPARE(file.value("client_settings/selected_client").toInt(), 0);
    QCOMPARE(file.value("torrents_settings/save_path").toString(), ApplicationSettings::defaultSavePath());
}

void TestApplicationSettings::readValid()
{
    const QByteArray content = render(customSections());
    QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->read(path()));
    QVERIFY(!m_settings->errorOccurred());
    const auto g = m_settings->generalParams();
    QCOMPARE(g.lastUpdate, QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC));
    QCOMPARE(g.updateMode, 2);
    QVERIFY(!g.launchAtStartup && g.silentStart && !g.showTrayNotifications && g.showConnectionErrors);
    QVERIFY(g.useBuiltinClient && !g.useTunnel);
    QCOMPARE(m_settings->connectionParams().serverSelection, 1);
    QCOMPARE(m_settings->connectionParams().serverRow, 4);
    QCOMPARE(m_settings->clientParams().selectedClient, 2);
    QVERIFY(m_settings->clientParams().wizardCompleted);
    QVERIFY(!m_settings->statisticsParams().statisticsEnabled);
    const auto m = m_settings->miscParams();
    QVERIFY(!m.firstRun && !m.closeDialogAlwaysAsk && !m.clientRestartDialogAlwaysAsk);
    QCOMPARE(readFile(path()), content); // a file that reads is not rewritten
}

void TestApplicationSettings::damagedFileRebuilt_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("show_connection_errors missing")
        << customWith("general_settings", "show_connection_errors", QByteArray());
    QTest::newRow("last_update missing") << customWith("general_settings", "last_update", QByteArray());
    QTest::newRow("update_mode not a number") << customWith("general_settings", "update_mode", "update_mode=auto");
    QTest::newRow("update_mode beyond int")
        << customWith("general_settings", "update_mode", "update_mode=99999999999");
    QTest::newRow("server_row missing") << customWith("connection_settings", "server_row", QByteArray());
    QTest::newRow("server_selection list") << customWith("connection_settings", "server_selection",
                                                         "server_selection=1, 2");
    QTest::newRow("selected_client=4") << customWith("client_settings", "selected_client", "selected_client=4");
    QTest::newRow("selected_client=-1") << customWith("client_settings", "selected_client", "selected_client=-1");
    QTest::newRow("selected_client wrapping to 1")
        << customWith("client_settings", "selected_client", "selected_client=4294967297");
    QTest::newRow("wizard_completed missing") << customWith("client_settings", "wizard_completed", QByteArray());
    QTest::newRow("statistics_enabled missing")
        << customWith("statistics_settings", "statistics_enabled", QByteArray());
    QTest::newRow("close_dialog_always_ask missing")
        << customWith("misc_settings", "close_dialog_always_ask", QByteArray());
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("binary bytes") << QByteArray("\x00\x01\xff\xfe[general_settings\x00\n\x80=\x81\x00", 18);
    QTest::newRow("text of another program") << QByteArray("#!/bin/sh\necho hello\n");
}

void TestApplicationSettings::damagedFileRebuilt()
{
    QFETCH(QByteArray, content);
    QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->read(path()));
    QVERIFY(!m_settings->errorOccurred());
    QVERIFY(holdsDefaults(*m_settings));

    QCOMPARE(readFile(path() + ".damaged"), content);
    ApplicationSettings reader;
    QVERIFY(reader.read(path()));
    QVERIFY(holdsDefaults(reader));
    QCOMPARE(readFile(path() + ".damaged"), content); // the fresh file reads: nothing set aside again
}

void TestApplicationSettings::olderDamagedCopyReplaced()
{
    QVERIFY(writeFile(path() + ".damaged", "older damaged copy"));
    const QByteArray content = customWith("misc_settings", "first_run", QByteArray());
    QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->read(path()));
    QCOMPARE(readFile(path() + ".damaged"), content);
}

void TestApplicationSettings::damagedCopyImpossible()
{
    // A folder in the way of the copy: the damaged file must then stay as it is.
    QVERIFY(QDir().mkpath(path() + ".damaged/inside"));
    const QByteArray content = customWith("general_settings", "silent_start", QByteArray());
    QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->read(path()));
    QVERIFY(m_settings->errorOccurred());
    QVERIFY(holdsDefaults(*m_settings));
    QCOMPARE(readFile(path()), content);
}

void TestApplicationSettings::acceptedValues_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("selected_client=3") << QByteArray("client_settings") << QByteArray("selected_client=3");
    QTest::newRow("selected_client=0") << QByteArray("client_settings") << QByteArray("selected_client=0");
    QTest::newRow("update_mode=7") << QByteArray("general_settings") << QByteArray("update_mode=7");
    QTest::newRow("last_update not a date") << QByteArray("general_settings") << QByteArray("last_update=yesterday");
    QTest::newRow("last_update blob") << QByteArray("general_settings")
                                      << QByteArray("last_update=@DateTime(\\0\\x1\\xff)");
    QTest::newRow("bool as 1") << QByteArray("statistics_settings") << QByteArray("statistics_enabled=1");
}

void TestApplicationSettings::acceptedValues()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, line);
    const QByteArray key = line.left(line.indexOf('='));
    const QByteArray content = customWith(section, key, line);
    QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->read(path()));
    QVERIFY(!QFile::exists(path() + ".damaged"));
    QCOMPARE(readFile(path()), content);
    if (key == "selected_client")
        QCOMPARE(m_settings->clientParams().selectedClient, line.mid(line.indexOf('=') + 1).toInt());
    if (key == "update_mode")
        QCOMPARE(m_settings->generalParams().updateMode, 7);
    if (key == "last_update") // an unreadable time is the epoch, not an invalid time
        QCOMPARE(m_settings->generalParams().lastUpdate.toMSecsSinceEpoch(), qint64(0));
    if (key == "statistics_enabled")
        QVERIFY(m_settings->statisticsParams().statisticsEnabled);
}

void TestApplicationSettings::optionalGeneralKeys()
{
    QList<Section> sections = customSections();
    sections[0].lines.removeAll("use_builtin_client=true");
    sections[0].lines.removeAll("use_tunnel=false");
    QVERIFY(writeFile(path(), render(sections)));
    QVERIFY(m_settings->read(path()));
    QVERIFY(!QFile::exists(path() + ".damaged"));
    QVERIFY(!m_settings->generalParams().useBuiltinClient);
    QVERIFY(m_settings->generalParams().useTunnel);
    QVERIFY(m_settings->generalParams().silentStart); // the file's other values are kept
}

void TestApplicationSettings::savePath_data()
{
    QTest::addColumn<QString>("configured"); // %1: a scratch folder
    QTest::addColumn<bool>("kept");

    QTest::newRow("existing folder") << "%1/existing" << true;
    QTest::newRow("creatable folder") << "%1/new/deeper" << true;
    QTest::newRow("under a plain file") << "%1/plainfile/sub" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("relative") << "relative/downloads" << false;
    QTest::newRow("huge") << "/" + QString(70000, 'x') << false;
}

void TestApplicationSettings::savePath()
{
    QFETCH(QString, configured);
    QFETCH(bool, kept);
    QTemporaryDir scratch;
    QVERIFY(QDir().mkpath(scratch.filePath("existing")));
    QVERIFY(writeFile(scratch.filePath("plainfile"), "x"));
    const QString wanted = configured.contains("%1") ? configured.arg(scratch.path()) : configured;

    QList<Section> sections = customSections();
    sections[3].lines = {"save_path=" + wanted.toUtf8(), "Myz20File.torrent=/data/one"};
    QVERIFY(writeFile(path(), render(sections)));
    QVERIFY(m_settings->read(path()));
    const QString expected = kept ? wanted : ApplicationSettings::defaultSavePath();
    QCOMPARE(m_settings->torrentsParams().savePath, expected);
    QVERIFY(QFileInfo(expected).isDir());
    QCOMPARE(m_settings->torrentsParams().torrentSavePaths.value("Myz20File.torrent"), QString("/data/one"));
    QVERIFY(!QFile::exists("relative")); // nothing created beside the working folder
}

void TestApplicationSettings::torrentEntries()
{
    QList<Section> sections = customSections();
    sections[3].lines = {"save_path=" + m_dir->path().toUtf8(), "first.torrent=/data/first", "second.torrent=",
                         "z41zC3zA9.torrent=/data/third"};
    QVERIFY(writeFile(path(), render(sections)));
    QVERIFY(m_settings->read(path()));
    ApplicationSettings::TorrentsParams torrents = m_settings->torrentsParams();
    QCOMPARE(torrents.torrentSavePaths.size(), 3);
    QCOMPARE(torrents.torrentSavePaths.value("first.torrent"), QString("/data/first"));
    QCOMPARE(torrents.torrentSavePaths.value("second.torrent"), ApplicationSettings::defaultSavePath());

    torrents.torrentSavePaths.remove("first.torrent");
    torrents.torrentSavePaths.remove("second.torrent");
    torrents.torrentSavePaths.insert("save_path", "/must/not/replace/the/default");
    m_settings->setTorrentsParams(torrents);
    QVERIFY(m_settings->write());

    QSettings file(path(), QSettings::IniFormat);
    file.beginGroup("torrents_settings");
    QCOMPARE(file.childKeys(), (QStringList{"save_path", "z41zC3zA9.torrent"}));
    QCOMPARE(file.value("save_path").toString(), m_dir->path());
}

void TestApplicationSettings::roundTrip()
{
    QVERIFY(m_settings->read(path()));
    ApplicationSettings::GeneralParams general;
    general.lastUpdate = QDateTime(QDate(2025, 6, 30), QTime(21, 0, 5, 250));
    general.updateMode = 1;
    general.launchAtStartup = false;
    general.useBuiltinClient = true;
    m_settings->setGeneralParams(general);
    m_settings->setConnectionParams({3, 7});
    m_settings->setClientParams({3, true});
    ApplicationSettings::TorrentsParams torrents;
    torrents.savePath = m_dir->path();
    torrents.torrentSavePaths.insert("Myz20File.torrent", QString::fromUtf8("/data/Загрузки, 2"));
    m_settings->setTorrentsParams(torrents);
    m_settings->setStatisticsParams({false});
    m_settings->setMiscParams({false, true, false});
    QVERIFY(m_settings->write());
    QVERIFY(!m_settings->errorOccurred());

    ApplicationSettings reader;
    QVERIFY(reader.read(path()));
    QVERIFY(!QFile::exists(path() + ".damaged"));
    QCOMPARE(reader.generalParams().lastUpdate, general.lastUpdate);
    QCOMPARE(reader.generalParams().updateMode, 1);
    QVERIFY(!reader.generalParams().launchAtStartup);
    QVERIFY(reader.generalParams().useBuiltinClient);
    QCOMPARE(reader.connectionParams().serverSelection, 3);
    QCOMPARE(reader.connectionParams().serverRow, 7);
    QCOMPARE(reader.clientParams().selectedClient, 3);
    QVERIFY(reader.clientParams().wizardCompleted);
    QCOMPARE(reader.torrentsParams().savePath, m_dir->path());
    QCOMPARE(reader.torrentsParams().torrentSavePaths, torrents.torrentSavePaths);
    QVERIFY(!reader.statisticsParams().statisticsEnabled);
    QVERIFY(!reader.miscParams().firstRun && reader.miscParams().closeDialogAlwaysAsk);

    // Reading anew drops what was set in memory only.
    reader.setConnectionParams({0, 99});
    QVERIFY(reader.read(path()));
    QCOMPARE(reader.connectionParams().serverRow, 7);
}

void TestApplicationSettings::writeFailure()
{
    QVERIFY(writeFile(m_dir->filePath("plainfile"), "x"));
    const QString unreachable = m_dir->filePath("plainfile/app.conf");
    QVERIFY(m_settings->read(unreachable)); // reading never fails ...
    QVERIFY(m_settings->errorOccurred());   // ... but says the file could not be made
    QVERIFY(!m_settings->write());
    QCOMPARE(m_settings->errorString(), QString("Unable to write application settings file"));

    // Once the way is clear, the next write succeeds and says so.
    QVERIFY(QFile::remove(m_dir->filePath("plainfile")));
    QVERIFY(QDir().mkpath(m_dir->filePath("plainfile")));
    m_settings->setConnectionParams({1, 2});
    QVERIFY(m_settings->write());
    QVERIFY(!m_settings->errorOccurred());
    ApplicationSettings reader;
    QVERIFY(reader.read(unreachable));
    QCOMPARE(reader.connectionParams().serverRow, 2);
}

void TestApplicationSettings::notRead()
{
    QVERIFY(!m_settings->write());
    QCOMPARE(m_settings->errorString(), QString("Application settings file is not open"));
}

void TestApplicationSettings::deliveredTemplate()
{
    const QString delivered = QStringLiteral(CORVALIS_TESTS_DIR "/../resources/config/app.conf");
    const QByteArray content = readFile(delivered);
    QVERIFY(!content.isEmpty());
    QVERIFY(writeFile(path(), content));
    QVERIFY(m_settings->read(path()));
    QVERIFY(!QFile::exists(path() + ".damaged"));
    QCOMPARE(readFile(path()), content); // read as it is, not rebuilt
    // The defaults, except that the program does not register itself at login.
    QVERIFY(!m_settings->generalParams().launchAtStartup);
    ApplicationSettings::GeneralParams general = m_settings->generalParams();
    general.launchAtStartup = true;
    m_settings->setGeneralParams(general);
    QVERIFY(holdsDefaults(*m_settings));
}

QTEST_GUILESS_MAIN(TestApplicationSettings)
#include "tst_applicationsettings.moc"
