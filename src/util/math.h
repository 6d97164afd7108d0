#pragma once

#include <QString>
#include <QtGlobal>

namespace Util {

class Math
{
public:
    // "1.5 KiB", "1023 B": binary units from KiB to TiB.
    static QString capacityString(quint64 bytes);
    static QString speedString(quint64 bytesPerSecond);
    // Fixed notation with at most `decimals` decimals and no trailing zeros.
    static QString stringFromFloat(double value, int decimals);
};

} // namespace Util
