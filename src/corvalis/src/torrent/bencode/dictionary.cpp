#include "torrent/bencode/dictionary.h"

namespace Torrent::Bencode {

int Dictionary::registerMetaType()
{
    static const int id = qRegisterMetaType<Dictionary>(DictionaryTypeName);
    return id;
}

QVariant Dictionary::toVariant(const Dictionary& dictionary)
{
    registerMetaType();
    return QVariant::fromValue(dictionary);
}

bool Dictionary::isDictionary(const QVariant& value)
{
    const char* name = value.typeName();
    return name && qstrcmp(name, DictionaryTypeName) == 0;
}

} // namespace Torrent::Bencode
