#include "core/applicationsettings.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <limits>

namespace Core {

namespace {

const QString generalGroup = QStringLiteral("general_settings");
const QString connectionGroup = QStringLiteral("connection_settings");
const QString clientGroup = QStringLiteral("client_settings");
const QString torrentsGroup = QStringLiteral("torrents_settings");
const QString statisticsGroup = QStringLiteral("statistics_settings");
const QString miscGroup = QStringLiteral("misc_settings");

const QString lastUpdateKey = QStringLiteral("last_update");
const QString updateModeKey = QStringLiteral("update_mode");
const QString launchAtStartupKey = QStringLiteral("launch_at_startup");
const QString silentStartKey = QStringLiteral("silent_start");
const QString showTrayNotificationsKey = QStringLiteral("show_tray_notifications");
const QString showConnectionErrorsKey = QStringLiteral("show_connection_errors");
const QString useBuiltinClientKey = QStringLiteral("use_builtin_client");
const QString useTunnelKey = QStringLiteral("use_tunnel");
const QString serverSelectionKey = QStringLiteral("server_selection");
const QString serverRowKey = QStringLiteral("server_row");
const QString selectedClientKey = QStringLiteral("selected_client");
const QString wizardCompletedKey = QStringLiteral("wizard_completed");
const QString savePathKey = QStringLiteral("save_path");
const QString statisticsEnabledKey = QStringLiteral("statistics_enabled");
const QString firstRunKey = QStringLiteral("first_run");
const QString closeDialogAlwaysAskKey = QStringLiteral("close_dialog_always_ask");
const QString clientRestartDialogAlwaysAskKey = QStringLiteral("client_restart_dialog_always_ask");

const QString damagedSuffix = QStringLiteral(".damaged");

constexpr int lastClientType = 3; // Torrent::Client::VuzeClient

// The settings class hands an unquoted value with commas back as a list.
QString textValue(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool isUsableFolder(const QString& path)
{
    if (path.isEmpty() || QDir::isRelativePath(path))
        return false;
    return QFileInfo(path).isDir() || (QDir().mkpath(path) && QFileInfo(path).isDir());
}

class GroupScope
{
public:
    GroupScope(QSettings& settings, const QString& group) : m_settings(settings) { m_settings.beginGroup(group); }
    ~GroupScope() { m_settings.endGroup(); }
    GroupScope(const GroupScope&) = delete;
    GroupScope& operator=(const GroupScope&) = delete;

private:
    QSettings& m_settings;
};

} // namespace

ApplicationSettings* ApplicationSettings::s_instance = nullptr;

ApplicationSettings* ApplicationSettings::instance()
{
    if (!s_instance)
        s_instance = new ApplicationSettings;
    return s_instance;
}

void ApplicationSettings::freeInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

QString ApplicationSettings::defaultSavePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QDir::separator()
        + QStringLiteral("Downloads");
}

ApplicationSettings::ApplicationSettings() = default;
ApplicationSettings::~ApplicationSettings() = default;

bool ApplicationSettings::read(const QString& path)
{
    if (m_settings) {
        m_settings.reset();
        m_errorString.clear();
        resetToDefaults();
    }
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);

    if (QFileInfo::exists(path)) {
        if (readSections())
            return true;
        const QString reason = m_errorString;
        m_settings.reset();
        resetToDefaults();
        // The user's values are kept beside the rebuilt file; when they cannot be set
        // aside, the damaged file stays untouched and only memory holds the defaults.
        if (!setDamagedFileAside(path)) {
            m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
            qWarning().nospace() << "Application settings file is damaged (" << reason << ") and could not be set aside";
            return true;
        }
        qWarning().nospace() << "Application settings file is damaged (" << reason << "); kept it as "
                             << path + damagedSuffix << " and rebuilt it with defaults";
        m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        m_errorString.clear();
    }
    writeSections();
    if (!flush())
        qWarning() << "Unable to write application settings file" << path;
    return true;
}

bool ApplicationSettings::write()
{
    m_errorString.clear();
    if (!m_settings) {
        m_errorString = QStringLiteral("Application settings file is not open");
        return false;
    }
    // The settings class keeps its first error for good; after a failed flush a fresh
    // object tells whether this one succeeds (every key is set again from memory).
    if (m_settings->status() == QSettings::AccessError)
        m_settings = std::make_unique<QSettings>(m_settings->fileName(), QSettings::IniFormat);
    writeSections();
    return flush();
}

void ApplicationSettings::resetToDefaults()
{
    m_general = GeneralParams();
    m_connection = ConnectionParams();
    m_client = ClientParams();
    m_torrents = TorrentsParams();
    m_statistics = StatisticsParams();
    m_misc = MiscParams();
}

bool ApplicationSettings::readSections()
{
    if (!readGeneral() || !readConnection() || !readClient())
        return false;
    readTorrents();
    return readStatistics() && readMisc();
}

bool ApplicationSettings::require(const QString& key)
{
    if (m_settings->contains(key))
        return true;
    m_errorString = QStringLiteral("Key %1 not found in section %2").arg(key, m_settings->group());
    return false;
}

bool ApplicationSettings::requireBool(const QString& key, bool* value)
{
    if (!require(key))
        return false;
    *value = m_settings->value(key).toBool();
    return true;
}

bool ApplicationSettings::requireInt(const QString& key, int* value)
{
    if (!require(key))
        return false;
    const QVariant raw = m_settings->value(key);
    bool ok = raw.typeId() != QMetaType::QStringList;
    // The variant's own int conversion wraps values beyond the int range
    // (selected_client=4294967297 would become 1); go through 64 bits instead.
    const qlonglong number = ok ? raw.toLongLong(&ok) : 0;
    if (ok && (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()))
        ok = false;
    if (!ok) {
        m_errorString = QStringLiteral("Key %1 in section %2 is not an integer").arg(key, m_settings->group());
        return false;
    }
    *value = int(number);
    return true;
}

bool ApplicationSettings::readGeneral()
{
    const GroupScope scope(*m_settings, generalGroup);
    GeneralParams params;
    if (!require(lastUpdateKey) || !requireInt(updateModeKey, &params.updateMode)
        || !requireBool(launchAtStartupKey, &params.launchAtStartup) || !requireBool(silentStartKey, &params.silentStart)
        || !requireBool(showTrayNotificationsKey, &params.showTrayNotifications)
        || !requireBool(showConnectionErrorsKey, &params.showConnectionErrors)) {
        return false;
    }
    // A value that is no date-time reads as the default rather than as an invalid time.
    const QDateTime lastUpdate = m_settings->value(lastUpdateKey).toDateTime();
    if (lastUpdate.isValid())
        params.lastUpdate = lastUpdate;
    params.useBuiltinClient = m_settings->value(useBuiltinClientKey, params.useBuiltinClient).toBool();
    params.useTunnel = m_settings->value(useTunnelKey, params.useTunnel).toBool();
    m_general = params;
    return true;
}

bool ApplicationSettings::readConnection()
{
    const GroupScope scope(*m_settings, connectionGroup);
    ConnectionParams params;
    if (!requireInt(serverSelectionKey, &params.serverSelection) || !requireInt(serverRowKey, &params.serverRow))
        return false;
    m_connection = params;
    return true;
}

bool ApplicationSettings::readClient()
{
    const GroupScope scope(*m_settings, clientGroup);
    ClientParams params;
    if (!requireInt(selectedClientKey, &params.selectedClient)
        || !requireBool(wizardCompletedKey, &params.wizardCompleted)) {
        return false;
    }
    if (params.selectedClient < 0 || params.selectedClient > lastClientType) {
        m_errorString = QStringLiteral("Key %1 in section %2 is out of range").arg(selectedClientKey, clientGroup);
        return false;
    }
    m_client = params;
    return true;
}

void ApplicationSettings::readTorrents()
{
    const GroupScope scope(*m_settings, torrentsGroup);
    const QString defaultPath = defaultSavePath();
    TorrentsParams params;
    params.savePath = textValue(*m_settings, savePathKey);
    // A relative path would depend on the folder the program happens to start in.
    if (!isUsableFolder(params.savePath)) {
        params.savePath = defaultPath;
        QDir().mkpath(defaultPath);
    }
    const QStringList keys = m_settings->childKeys();
    for (const QString& key : keys) {
        if (key == savePathKey)
            continue;
        const QString path = textValue(*m_settings, key);
        params.torrentSavePaths.insert(key, path.isEmpty() ? defaultPath : path);
    }
    m_torrents = params;
}

bool ApplicationSettings::readStatistics()
{
    const GroupScope scope(*m_settings, statisticsGroup);
    StatisticsParams params;
    if (!requireBool(statisticsEnabledKey, &params.statisticsEnabled))
        return false;
    m_statistics = params;
    return true;
}

bool ApplicationSettings::readMisc()
{
    const GroupScope scope(*m_settings, miscGroup);
    MiscParams params;
    if (!requireBool(firstRunKey, &params.firstRun) || !requireBool(closeDialogAlwaysAskKey, &params.closeDialogAlwaysAsk)
        || !requireBool(clientRestartDialogAlwaysAskKey, &params.clientRestartDialogAlwaysAsk)) {
        return false;
    }
    m_misc = params;
    return true;
}

void ApplicationSettings::writeSections()
{
    QSettings& s = *m_settings;
    {
        const GroupScope scope(s, generalGroup);
        s.setValue(lastUpdateKey, m_general.lastUpdate);
        s.setValue(updateModeKey, m_general.updateMode);
        s.setValue(launchAtStartupKey, m_general.launchAtStartup);
        s.setValue(silentStartKey, m_general.silentStart);
        s.setValue(showTrayNotificationsKey, m_general.showTrayNotifications);
        s.setValue(showConnectionErrorsKey, m_general.showConnectionErrors);
        s.setValue(useBuiltinClientKey, m_general.useBuiltinClient);
        s.setValue(useTunnelKey, m_general.useTunnel);
    }
    {
        const GroupScope scope(s, connectionGroup);
        s.setValue(serverSelectionKey, m_connection.serverSelection);
        s.setValue(serverRowKey, m_connection.serverRow);
    }
    {
        const GroupScope scope(s, clientGroup);
        s.setValue(selectedClientKey, m_client.selectedClient);
        s.setValue(wizardCompletedKey, m_client.wizardCompleted);
    }
    {
        const GroupScope scope(s, torrentsGroup);
        s.remove(QString());
        s.setValue(savePathKey, m_torrents.savePath);
        for (auto it = m_torrents.torrentSavePaths.cbegin(); it != m_torrents.torrentSavePaths.cend(); ++it) {
            // Such keys could never be read back as entries of this section.
            if (it.key().isEmpty() || it.key() == savePathKey || it.key().contains(QLatin1Char('/'))
                || it.key().contains(QLatin1Char('\\'))) {
                continue;
            }
            s.setValue(it.key(), it.value());
        }
    }
    {
        const GroupScope scope(s, statisticsGroup);
        s.setValue(statisticsEnabledKey, m_statistics.statisticsEnabled);
    }
    {
        const GroupScope scope(s, miscGroup);
        s.setValue(firstRunKey, m_misc.firstRun);
        s.setValue(closeDialogAlwaysAskKey, m_misc.closeDialogAlwaysAsk);
        s.setValue(clientRestartDialogAlwaysAskKey, m_misc.clientRestartDialogAlwaysAsk);
    }
}

bool ApplicationSettings::flush()
{
    m_settings->sync();
    if (m_settings->status() == QSettings::AccessError) {
        m_errorString = QStringLiteral("Unable to write application settings file");
        return false;
    }
    return true;
}

bool ApplicationSettings::setDamagedFileAside(const QString& path)
{
    const QString damagedPath = path + damagedSuffix;
    if (QFileInfo::exists(damagedPath) && !QFile::remove(damagedPath)) {
        m_errorString = QStringLiteral("Unable to replace %1").arg(damagedPath);
        return false;
    }
    if (!QFile::rename(path, damagedPath)) {
        m_errorString = QStringLiteral("Unable to keep the damaged file as %1").arg(damagedPath);
        return false;
    }
    return true;
}

} // namespace Core
