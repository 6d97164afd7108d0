#include "core/torrentsettings.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace Core {

namespace {

const QString configTypeKey = QStringLiteral("config_type");
const QString firstRunKey = QStringLiteral("first_run");
const QString userValue = QStringLiteral("user");
const QString privacyValue = QStringLiteral("privacy");

QString sectionName(Torrent::Client::ClientType type)
{
    return Torrent::Client::clientNameString(type).toLower();
}

} // namespace

TorrentSettings* TorrentSettings::s_instance = nullptr;

TorrentSettings* TorrentSettings::instance()
{
    if (!s_instance)
        s_instance = new TorrentSettings;
    return s_instance;
}

void TorrentSettings::freeInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

TorrentSettings::TorrentSettings()
{
    resetClients(Torrent::Client::UndefinedConfig, false);
}

TorrentSettings::~TorrentSettings() = default;

bool TorrentSettings::read(const QString& path)
{
    if (m_settings) {
        m_settings.reset();
        resetClients(Torrent::Client::UndefinedConfig, false);
        m_errors = {};
    }
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);

    if (QFileInfo::exists(path)) {
        m_errors |= ReadError;
        for (const Torrent::Client::ClientType type : Torrent::Client::ClientTypeArray) {
            if (!readSection(type))
                return false;
        }
        m_errors &= ~ConfigErrors(ReadError);
        return true;
    }

    resetClients(Torrent::Client::UserConfig, true);
    m_errors |= WriteError;
    if (!writeSections() || !flush())
        return false;
    m_errors &= ~ConfigErrors(WriteError);
    return true;
}

bool TorrentSettings::write()
{
    m_errors |= WriteError;
    if (!m_settings)
        return false;
    // The settings class keeps its first error for good; after a failed flush a fresh
    // object tells whether this one succeeds (every section is set again from memory).
    if (m_settings->status() == QSettings::AccessError)
        m_settings = std::make_unique<QSettings>(m_settings->fileName(), QSettings::IniFormat);
    if (!writeSections() || !flush())
        return false;
    m_errors &= ~ConfigErrors(WriteError);
    return true;
}

TorrentSettings::ClientParams TorrentSettings::clientParams(Torrent::Client::ClientType type) const
{
    return m_clients.value(type);
}

void TorrentSettings::setClientParams(Torrent::Client::ClientType type, const ClientParams& params)
{
    m_clients.insert(type, params);
}

QString TorrentSettings::errorsString() const
{
    // Spelled out rather than taken from the debug stream, so the log line stays the same
    // whatever form a Qt version gives that stream.
    QStringList bits;
    const uint value = uint(m_errors.toInt());
    for (uint bit = 1; bit != 0; bit <<= 1) {
        if (value & bit)
            bits << QStringLiteral("0x") + QString::number(bit, 16);
    }
    return QStringLiteral("QFlags(") + bits.join(QLatin1Char('|')) + QLatin1Char(')');
}

void TorrentSettings::resetClients(Torrent::Client::ConfigType configType, bool firstRun)
{
    m_clients.clear();
    for (const Torrent::Client::ClientType type : Torrent::Client::ClientTypeArray)
        m_clients.insert(type, ClientParams{configType, firstRun});
}

bool TorrentSettings::readSection(Torrent::Client::ClientType type)
{
    m_settings->beginGroup(sectionName(type));
    const bool present = m_settings->contains(configTypeKey) && m_settings->contains(firstRunKey);
    const QVariant configValue = m_settings->value(configTypeKey);
    const bool firstRun = m_settings->value(firstRunKey).toBool();
    m_settings->endGroup();
    if (!present || configValue.typeId() != QMetaType::QString)
        return false;

    const QString configText = configValue.toString();
    ClientParams params;
    if (configText == userValue)
        params.configType = Torrent::Client::UserConfig;
    else if (configText == privacyValue)
        params.configType = Torrent::Client::PrivacyConfig;
    else
        return false;
    params.firstRun = firstRun;
    m_clients.insert(type, params);
    return true;
}

bool TorrentSettings::writeSection(Torrent::Client::ClientType type)
{
    const ClientParams params = clientParams(type);
    QString configText;
    if (params.configType == Torrent::Client::UserConfig)
        configText = userValue;
    else if (params.configType == Torrent::Client::PrivacyConfig)
        configText = privacyValue;
    else
        return false;
    m_settings->beginGroup(sectionName(type));
    m_settings->setValue(configTypeKey, configText);
    m_settings->setValue(firstRunKey, params.firstRun);
    m_settings->endGroup();
    return true;
}

bool TorrentSettings::writeSections()
{
    for (const Torrent::Client::ClientType type : Torrent::Client::ClientTypeArray) {
        if (!writeSection(type))
            return false;
    }
    return true;
}

bool TorrentSettings::flush()
{
    m_settings->sync();
    return m_settings->status() != QSettings::AccessError;
}

} // namespace Core
