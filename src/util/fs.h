#pragma once

#include <QString>

namespace Util {

class Fs
{
public:
    // Removes the directory and everything below it, read-only entries included.
    static bool rmrf(const QString& dirPath);
};

} // namespace Util
