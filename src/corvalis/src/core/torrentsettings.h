#pragma once

#include "torrent/client/clienttype.h"

#include <QFlags>
#include <QMap>
#include <QString>

#include <memory>

class QSettings;

namespace Core {

// Which settings file of each external client is in place, kept in clients.conf so the
// state survives a crash or a restart.
class TorrentSettings
{
public:
    struct ClientParams
    {
        Torrent::Client::ConfigType configType = Torrent::Client::UndefinedConfig;
        bool firstRun = false;
    };

    enum ConfigError { ReadError = 2, WriteError = 4 };
    Q_DECLARE_FLAGS(ConfigErrors, ConfigError)

    static TorrentSettings* instance();
    static void freeInstance();

    TorrentSettings();
    ~TorrentSettings();
    TorrentSettings(const TorrentSettings&) = delete;
    TorrentSettings& operator=(const TorrentSettings&) = delete;

    bool read(const QString& path);
    bool write();

    ClientParams clientParams(Torrent::Client::ClientType type) const;
    void setClientParams(Torrent::Client::ClientType type, const ClientParams& params);

    QFlags<ConfigError> occurredErrors() const { return m_errors; }
    // The flags as the debug stream prints them, for example "QFlags(0x2)".
    QString errorsString() const;

private:
    void resetClients(Torrent::Client::ConfigType configType, bool firstRun);
    bool readSection(Torrent::Client::ClientType type);
    bool writeSection(Torrent::Client::ClientType type);
    bool writeSections();
    bool flush();

    std::unique_ptr<QSettings> m_settings;
    ConfigErrors m_errors;
    QMap<Torrent::Client::ClientType, ClientParams> m_clients;

    static TorrentSettings* s_instance;
};

} // namespace Core

Q_DECLARE_OPERATORS_FOR_FLAGS(Core::TorrentSettings::ConfigErrors)
