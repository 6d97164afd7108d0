#pragma once

#include <QString>

namespace Util {

// A version of three numbers: major.minor.bugfix.
class Ver
{
public:
    Ver() = default;
    Ver(int major, int minor, int bugfix);
    explicit Ver(const QString& text);

    int major() const { return m_major; }
    int minor() const { return m_minor; }
    int bugfix() const { return m_bugfix; }
    void setMajor(int value) { m_major = value; }
    void setMinor(int value) { m_minor = value; }
    void setBugfix(int value) { m_bugfix = value; }

    // The first "N.N.N" anywhere in the text; 0.0.0 and *ok false when there is none.
    static Ver fromString(const QString& text, bool* ok = nullptr);
    // Whether a is newer than b; false (and *ok false) when either does not parse.
    static bool isNewerVer(const QString& a, const QString& b, bool* ok = nullptr);

    bool operator>(const Ver& other) const;
    bool operator==(const Ver& other) const;
    bool operator!=(const Ver& other) const { return !(*this == other); }

private:
    int m_major = 0;
    int m_minor = 0;
    int m_bugfix = 0;
};

} // namespace Util
