#include "util/ver.h"

#include <QRegularExpression>

#include <tuple>

namespace Util {

Ver::Ver(int major, int minor, int bugfix)
    : m_major(major), m_minor(minor), m_bugfix(bugfix)
{
}

Ver::Ver(const QString& text)
    : Ver(fromString(text))
{
}

Ver Ver::fromString(const QString& text, bool* ok)
{
    if (ok)
        *ok = false;
    static const QRegularExpression pattern(QStringLiteral("(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return Ver();
    bool okMajor = false, okMinor = false, okBugfix = false;
    const Ver result(match.captured(1).toInt(&okMajor), match.captured(2).toInt(&okMinor),
                     match.captured(3).toInt(&okBugfix));
    // A number too large for an int is no version we can compare.
    if (!okMajor || !okMinor || !okBugfix)
        return Ver();
    if (ok)
        *ok = true;
    return result;
}

bool Ver::isNewerVer(const QString& a, const QString& b, bool* ok)
{
    if (ok)
        *ok = false;
    bool parsed = false;
    const Ver first = fromString(a, &parsed);
    if (!parsed)
        return false;
    const Ver second = fromString(b, &parsed);
    if (!parsed)
        return false;
    if (ok)
        *ok = true;
    return first > second;
}

bool Ver::operator>(const Ver& other) const
{
    return std::tie(m_major, m_minor, m_bugfix) > std::tie(other.m_major, other.m_minor, other.m_bugfix);
}

bool Ver::operator==(const Ver& other) const
{
    return std::tie(m_major, m_minor, m_bugfix) == std::tie(other.m_major, other.m_minor, other.m_bugfix);
}

} // namespace Util
