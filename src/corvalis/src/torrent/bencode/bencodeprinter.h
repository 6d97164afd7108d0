#pragma once

#include "torrent/bencode/dictionary.h"

#include <QStringList>
#include <QVariantList>

namespace Torrent::Bencode {

// Turns a tree into indented lines of text, for diagnostics only.
class BencodePrinter
{
public:
    QStringList printDictionary(const Dictionary& dictionary, bool* ok);
    QStringList printList(const QVariantList& list, bool* ok);
    QStringList printValue(const QVariant& value, bool* ok);

    QString indentString() const;
    void addIndentation(QStringList& lines) const;

private:
    int m_indentation = -4;
};

} // namespace Torrent::Bencode
