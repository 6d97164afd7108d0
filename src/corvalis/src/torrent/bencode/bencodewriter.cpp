#include "torrent/bencode/bencodewriter.h"

#include <QDebug>

namespace Torrent::Bencode {

QByteArray BencodeWriter::makeContent(const Dictionary& dictionary, bool* ok) const
{
    if (ok)
        *ok = true;
    return makeDictionaryData(dictionary, ok);
}

QByteArray BencodeWriter::makeDictionaryData(const Dictionary& dictionary, bool* ok) const
{
    if (ok)
        *ok = true;
    QByteArray data("d");
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        bool elementOk = true;
        const QByteArray element = makeElementData(it.value(), &elementOk);
        if (!elementOk) {
            if (ok) {
                *ok = false;
                return QByteArray();
            }
            // Without a flag to report through, the entry is left out whole, so the
            // output stays well formed.
            continue;
        }
        data += makeByteStringData(it.key());
        data += element;
    }
    data += 'e';
    return data;
}

QByteArray BencodeWriter::makeListData(const QVariantList& list, bool* ok) const
{
    if (ok)
        *ok = true;
    QByteArray data("l");
    for (const QVariant& element : list) {
        bool elementOk = true;
        const QByteArray elementData = makeElementData(element, &elementOk);
        if (!elementOk) {
            if (ok)
                *ok = false;
            return QByteArray();
        }
        data += elementData;
    }
    data += 'e';
    return data;
}

QByteArray BencodeWriter::makeElementData(const QVariant& value, bool* ok) const
{
    if (ok)
        *ok = true;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return makeIntData(value.toLongLong());
    case QMetaType::QVariantList:
        return makeListData(value.toList(), ok);
    case QMetaType::QByteArray:
        return makeByteStringData(value.toByteArray());
    default:
        break;
    }
    if (Dictionary::isDictionary(value))
        return makeDictionaryData(value.value<Dictionary>(), ok);
    qWarning() << "BencodeWriter::makeElementData() : Unknown variant type:" << value.typeName();
    if (ok)
        *ok = false;
    return QByteArray();
}

QByteArray BencodeWriter::makeByteStringData(const QByteArray& bytes) const
{
    return QByteArray::number(bytes.size()) + ':' + bytes;
}

QByteArray BencodeWriter::makeIntData(qlonglong value) const
{
    return 'i' + QByteArray::number(value) + 'e';
}

} // namespace Torrent::Bencode
