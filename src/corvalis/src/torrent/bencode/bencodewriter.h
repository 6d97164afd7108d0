#pragma once

#include "torrent/bencode/dictionary.h"

#include <QByteArray>
#include <QVariantList>

namespace Torrent::Bencode {

// Writes canonical bencode: keys in ascending byte order, integers without padding.
class BencodeWriter
{
public:
    QByteArray makeContent(const Dictionary& dictionary, bool* ok) const;
    QByteArray makeDictionaryData(const Dictionary& dictionary, bool* ok) const;
    QByteArray makeListData(const QVariantList& list, bool* ok) const;
    QByteArray makeElementData(const QVariant& value, bool* ok) const;
    QByteArray makeByteStringData(const QByteArray& bytes) const;
    QByteArray makeIntData(qlonglong value) const;
};

} // namespace Torrent::Bencode
