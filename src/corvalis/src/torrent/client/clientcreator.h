#pragma once

#include "torrent/client/clientconfig.h"
#include "torrent/client/clienthelper.h"

#include <memory>

namespace Torrent::Client {

// Makes the helper and the configuration object of a client type; none for an unknown type.
class ClientCreator
{
public:
    // `appConfigDirPath` is the application's configuration folder, which holds the
    // copies of the clients' settings files.
    static std::unique_ptr<ClientHelper> createClientHelper(int type, const QString& appConfigDirPath);
    static std::unique_ptr<ClientConfig> createClientConfig(int type);
};

} // namespace Torrent::Client
