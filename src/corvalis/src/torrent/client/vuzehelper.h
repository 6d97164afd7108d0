#pragma once

#include "torrent/client/clienthelper.h"

namespace Torrent::Client {

class VuzeHelper : public ClientHelper
{
public:
    explicit VuzeHelper(const QString& appConfigDirPath);

protected:
    bool populateData() override;
};

} // namespace Torrent::Client
