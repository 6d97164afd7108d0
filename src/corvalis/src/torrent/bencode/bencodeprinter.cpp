#include "torrent/bencode/bencodeprinter.h"

#include <QDebug>

namespace Torrent::Bencode {

namespace {

// Bytes as text up to the first NUL.
QString textUpToNul(const QByteArray& bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul));
}

} // namespace

QStringList BencodePrinter::printDictionary(const Dictionary& dictionary, bool* ok)
{
    if (dictionary.isEmpty())
        return {QStringLiteral("*** EMPTY DICTIONARY ***")};
    m_indentation += 4;
    QStringList lines{QStringLiteral("*** DICTIONARY ***")};
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        QString entry = textUpToNul(it.key()) + QStringLiteral(": ");
        const QStringList valueLines = printValue(it.value(), ok);
        if (valueLines.isEmpty()) {
            lines << entry + QStringLiteral("<empty value>");
        } else if (valueLines.size() == 1) {
            lines << entry + valueLines.first();
        } else {
            lines << entry;
            lines << valueLines;
        }
    }
    lines << QStringLiteral("*** END DICTIONARY ***\n");
    addIndentation(lines);
    m_indentation -= 4;
    return lines;
}

QStringList BencodePrinter::printList(const QVariantList& list, bool* ok)
{
    if (list.isEmpty())
        return {QStringLiteral("=== Empty list ===")};
    m_indentation += 4;
    QStringList lines{QStringLiteral("=== List ===")};
    for (const QVariant& element : list)
        lines << printValue(element, ok);
    lines << QStringLiteral("=== End list ===");
    addIndentation(lines);
    m_indentation -= 4;
    return lines;
}

QStringList BencodePrinter::printValue(const QVariant& value, bool* ok)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return {QString::number(value.toLongLong())};
    case QMetaType::QByteArray:
        return {QLatin1Char('"') + textUpToNul(value.toByteArray()) + QLatin1Char('"')};
    case QMetaType::QVariantList:
        return printList(value.toList(), ok);
    default:
        break;
    }
    if (Dictionary::isDictionary(value))
        return printDictionary(value.value<Dictionary>(), ok);
    qWarning() << "BencodePrinter::printValue() : Unknown variant type:" << value.typeName();
    if (ok)
        *ok = false;
    return {};
}

QString BencodePrinter::indentString() const
{
    return m_indentation < 0 ? QString() : QString(m_indentation, QLatin1Char(' '));
}

void BencodePrinter::addIndentation(QStringList& lines) const
{
    const QString indent = indentString();
    for (QString& line : lines)
        line.prepend(indent);
}

} // namespace Torrent::Bencode
