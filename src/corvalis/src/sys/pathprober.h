#pragma once

#include <QString>

namespace Sys {

class PathProber
{
public:
    // The per-user data folder; the configuration folder and the clients' settings lie below it.
    QString appDataPath(bool* ok = nullptr) const;
    // The per-user log folder.
    QString programDataPath(bool* ok = nullptr) const;
};

} // namespace Sys
