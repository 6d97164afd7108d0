#include "torrent/bencode/bencodeparser.h"

#include <limits>

namespace Torrent::Bencode {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Keeps the nesting depth balanced on every way out of a container step.
class DepthGuard
{
public:
    explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

} // namespace

bool BencodeParser::parse(const QByteArray& content)
{
    Dictionary::registerMetaType();
    m_dictionary.clear();
    m_errorString.clear();
    m_depth = 0;
    if (content.isEmpty()) {
        m_content.clear();
        m_pos = 0;
        m_errorString = QStringLiteral("No content");
        return false;
    }
    m_content = content;
    m_pos = 0;
    return getDictionary(&m_dictionary);
}

char BencodeParser::byteAt(qsizetype pos) const
{
    // Past the end the content reads as NUL, which matches no marker and no digit.
    return pos >= 0 && pos < m_content.size() ? m_content.at(pos) : '\0';
}

void BencodeParser::setUnexpected(qsizetype pos)
{
    m_errorString = QStringLiteral("Unexpected character at pos %1: %2")
                        .arg(pos)
                        .arg(QChar::fromLatin1(byteAt(pos)));
}

bool BencodeParser::getInteger(qlonglong* value)
{
    if (byteAt(m_pos) != 'i')
        return false;
    ++m_pos;
    bool negative = false;
    bool haveDigit = false;
    quint64 magnitude = 0;
    // A negative number may reach one past the positive maximum.
    const quint64 limit = quint64(std::numeric_limits<qlonglong>::max()) + 1;
    while (!atEnd()) {
        const char c = byteAt(m_pos);
        if (isDigit(c)) {
            const quint64 digit = quint64(c - '0');
            if (magnitude > (limit - digit) / 10) {
                m_errorString = QStringLiteral("Integer out of range at pos %1").arg(m_pos);
                // Skip the rest of the number, so no later attempt reads its digits as
                // the length of a byte string.
                while (!atEnd() && isDigit(byteAt(m_pos)))
                    ++m_pos;
                return false;
            }
            magnitude = magnitude * 10 + digit;
            haveDigit = true;
            ++m_pos;
            continue;
        }
        if (!haveDigit) {
            if (c == '-' && !negative) {
                negative = true;
                ++m_pos;
                continue;
            }
            return false;
        }
        if (c != 'e') {
            setUnexpected(m_pos);
            return false;
        }
        if (!negative && magnitude == limit)
            break;
        ++m_pos;
        break;
    }
    if (!negative && magnitude == limit) {
        m_errorString = QStringLiteral("Integer out of range at pos %1").arg(m_pos);
        return false;
    }
    if (value) {
        // Computed in unsigned arithmetic: -(2^63) has no positive counterpart.
        *value = negative ? qlonglong(0 - magnitude) : qlonglong(magnitude);
    }
    return true;
}

bool BencodeParser::getByteString(QByteArray* bytes)
{
    bool haveDigit = false;
    qsizetype length = 0;
    const qsizetype cap = m_content.size();
    while (!atEnd() && isDigit(byteAt(m_pos))) {
        // Any length beyond the content reads the rest, so the value can saturate there.
        if (length <= cap)
            length = length * 10 + (byteAt(m_pos) - '0');
        if (length > cap)
            length = cap + 1;
        haveDigit = true;
        ++m_pos;
    }
    if (!haveDigit)
        return false;
    if (!atEnd()) {
        if (byteAt(m_pos) != ':') {
            setUnexpected(m_pos);
            return false;
        }
        ++m_pos;
    }
    const qsizetype available = m_content.size() - m_pos;
    const qsizetype taken = length < available ? length : available;
    if (bytes)
        *bytes = m_content.mid(m_pos, taken);
    m_pos += taken;
    return true;
}

bool BencodeParser::getElement(QVariant* value)
{
    qlonglong integer = 0;
    if (getInteger(&integer)) {
        *value = integer;
        return true;
    }
    QByteArray bytes;
    if (getByteString(&bytes)) {
        *value = bytes;
        return true;
    }
    QVariantList list;
    if (getList(&list)) {
        *value = QVariant(list);
        return true;
    }
    Dictionary dictionary;
    if (getDictionary(&dictionary)) {
        *value = Dictionary::toVariant(dictionary);
        return true;
    }
    return false;
}

bool BencodeParser::nestingTooDeep()
{
    if (m_depth <= MaxNestingDepth)
        return false;
    m_errorString = QStringLiteral("Nesting too deep at pos %1").arg(m_pos);
    return true;
}

bool BencodeParser::getList(QVariantList* list)
{
    if (byteAt(m_pos) != 'l')
        return false;
    const DepthGuard guard(m_depth);
    if (nestingTooDeep())
        return false;
    ++m_pos;
    QVariantList result;
    do {
        if (byteAt(m_pos) == 'e') {
            ++m_pos;
            break;
        }
        QVariant element;
        if (!getElement(&element)) {
            m_errorString = QStringLiteral("error at index %1").arg(m_pos);
            return false;
        }
        result.append(element);
    } while (!atEnd());
    if (list)
        *list = result;
    return true;
}

bool BencodeParser::getDictionary(Dictionary* dictionary)
{
    if (byteAt(m_pos) != 'd')
        return false;
    const DepthGuard guard(m_depth);
    if (nestingTooDeep())
        return false;
    ++m_pos;
    Dictionary result;
    do {
        if (byteAt(m_pos) == 'e') {
            ++m_pos;
            break;
        }
        QByteArray key;
        // A byte that cannot start a key ends the dictionary; the files of some clients
        // need this leniency.
        if (!getByteString(&key))
            break;
        QVariant value;
        if (!getElement(&value)) {
            m_errorString = QStringLiteral("error at index %1").arg(m_pos);
            return false;
        }
        result.insert(key, value);
    } while (!atEnd());
    if (dictionary)
        *dictionary = result;
    return true;
}

} // namespace Torrent::Bencode
