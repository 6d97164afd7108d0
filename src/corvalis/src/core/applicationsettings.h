#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

#include <memory>

class QSettings;

namespace Core {

// The program's own preferences, kept in app.conf. A file that does not read is set
// aside as app.conf.damaged and rebuilt with the defaults; reading never fails.
class ApplicationSettings
{
public:
    struct GeneralParams
    {
        QDateTime lastUpdate = QDateTime::fromMSecsSinceEpoch(0);
        int updateMode = 0;
        bool launchAtStartup = true;
        bool silentStart = false;
        bool showTrayNotifications = true;
        bool showConnectionErrors = false;
        bool useBuiltinClient = false;
        bool useTunnel = true;
    };

    struct ConnectionParams
    {
        int serverSelection = 0;
        int serverRow = 0;
    };

    struct ClientParams
    {
        int selectedClient = 0; // a Torrent::Client::ClientType value
        bool wizardCompleted = false;
    };

    struct TorrentsParams
    {
        QString savePath = ApplicationSettings::defaultSavePath();
        QMap<QString, QString> torrentSavePaths; // file key of a torrent -> its save path
    };

    struct StatisticsParams
    {
        bool statisticsEnabled = true;
    };

    struct MiscParams
    {
        bool firstRun = true;
        bool closeDialogAlwaysAsk = true;
        bool clientRestartDialogAlwaysAsk = true;
    };

    static ApplicationSettings* instance();
    static void freeInstance();

    // The documents folder + "/Downloads".
    static QString defaultSavePath();

    ApplicationSettings();
    ~ApplicationSettings();
    ApplicationSettings(const ApplicationSettings&) = delete;
    ApplicationSettings& operator=(const ApplicationSettings&) = delete;

    // Always true; errorOccurred() tells whether the file could not be rebuilt.
    bool read(const QString& path);
    bool write();

    QString errorString() const { return m_errorString; }
    bool errorOccurred() const { return !m_errorString.isEmpty(); }

    GeneralParams generalParams() const { return m_general; }
    void setGeneralParams(const GeneralParams& params) { m_general = params; }
    ConnectionParams connectionParams() const { return m_connection; }
    void setConnectionParams(const ConnectionParams& params) { m_connection = params; }
    ClientParams clientParams() const { return m_client; }
    void setClientParams(const ClientParams& params) { m_client = params; }
    TorrentsParams torrentsParams() const { return m_torrents; }
    void setTorrentsParams(const TorrentsParams& params) { m_torrents = params; }
    StatisticsParams statisticsParams() const { return m_statistics; }
    void setStatisticsParams(const StatisticsParams& params) { m_statistics = params; }
    MiscParams miscParams() const { return m_misc; }
    void setMiscParams(const MiscParams& params) { m_misc = params; }

private:
    void resetToDefaults();
    bool readSections();
    bool readGeneral();
    bool readConnection();
    bool readClient();
    void readTorrents();
    bool readStatistics();
    bool readMisc();
    void writeSections();
    bool flush();
    bool setDamagedFileAside(const QString& path);

    // Required keys: missing or (for integers) unparsable ones fail the section.
    bool requireBool(const QString& key, bool* value);
    bool requireInt(const QString& key, int* value);
    bool require(const QString& key);

    std::unique_ptr<QSettings> m_settings;
    QString m_errorString;
    GeneralParams m_general;
    ConnectionParams m_connection;
    ClientParams m_client;
    TorrentsParams m_torrents;
    StatisticsParams m_statistics;
    MiscParams m_misc;

    static ApplicationSettings* s_instance;
};

} // namespace Core
