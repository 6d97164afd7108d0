#pragma once

#include "torrent/bencode/dictionary.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>

namespace Torrent::Bencode {

// Reads a bencoded document whose top level is a dictionary. Lenient where the settings
// files of real clients need it; never reads outside the content and never moves its
// position backwards, whatever the input.
class BencodeParser
{
public:
    // Deeper nesting is refused, so hostile input cannot exhaust the stack.
    static constexpr int MaxNestingDepth = 256;

    bool parse(const QByteArray& content);
    QString errorString() const { return m_errorString; }
    Dictionary& dictionary() { return m_dictionary; }
    const Dictionary& dictionary() const { return m_dictionary; }

    bool getDictionary(Dictionary* dictionary);
    bool getList(QVariantList* list);
    bool getByteString(QByteArray* bytes);
    bool getInteger(qlonglong* value);

private:
    char byteAt(qsizetype pos) const;
    bool atEnd() const { return m_pos >= m_content.size(); }
    bool getElement(QVariant* value);
    // Sets the error when the container just entered lies too deep.
    bool nestingTooDeep();
    void setUnexpected(qsizetype pos);

    QByteArray m_content;
    qsizetype m_pos = 0;
    QString m_errorString;
    Dictionary m_dictionary;
    int m_depth = 0;
};

} // namespace Torrent::Bencode
