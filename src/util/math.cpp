#include "util/math.h"

#include <QCoreApplication>
#include <QLocale>

#include <array>
#include <utility>

namespace Util {

QString Math::capacityString(quint64 bytes)
{
    static const std::array<std::pair<const char*, quint64>, 4> units = {{
        {"TiB", Q_UINT64_C(1) << 40},
        {"GiB", Q_UINT64_C(1) << 30},
        {"MiB", Q_UINT64_C(1) << 20},
        {"KiB", Q_UINT64_C(1) << 10},
    }};
    for (const auto& [name, threshold] : units) {
        if (threshold <= bytes) {
            return QStringLiteral("%1 %2")
                .arg(stringFromFloat(double(bytes) / double(threshold), 2), QLatin1String(name));
        }
    }
    return QCoreApplication::translate("Util::Math", "%1 B").arg(bytes);
}

QString Math::speedString(quint64 bytesPerSecond)
{
    return QCoreApplication::translate("Util::Math", "%1/s").arg(capacityString(bytesPerSecond));
}

QString Math::stringFromFloat(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    const QChar systemPoint = QLocale::system().decimalPoint().front();
    const QChar cPoint = QLatin1Char('.');
    while (text.contains(systemPoint) || text.contains(cPoint)) {
        const QChar last = text.back();
        if (last != QLatin1Char('0') && last != systemPoint && last != cPoint)
            break;
        text.chop(1);
    }
    return text;
}

} // namespace Util
