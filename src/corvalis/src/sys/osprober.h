#pragma once

#include <QString>

namespace Sys {

class OsProber
{
public:
    // A printable name of the running system, for support reports.
    QString osName() const;
    int servicePackNumber() const { return 0; }

    // The names of the Macintosh version codes the toolkit reports.
    static QString macintoshName(int versionCode);
};

} // namespace Sys
