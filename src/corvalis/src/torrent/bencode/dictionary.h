#pragma once

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QVariant>

namespace Torrent::Bencode {

// The type name under which a nested dictionary is recognised inside a QVariant.
inline constexpr char DictionaryTypeName[] = "Torrent::Bencode::Dictionary";

// A bencoded dictionary: byte-string keys in ascending byte order, values of the four
// bencode kinds. A type of its own (not a typedef), so that a variant holding it reports
// DictionaryTypeName as its type name.
class Dictionary : public QMap<QByteArray, QVariant>
{
public:
    using QMap<QByteArray, QVariant>::QMap;
    Dictionary() = default;
    Dictionary(const QMap<QByteArray, QVariant>& other) : QMap<QByteArray, QVariant>(other) {}

    // Registers the meta-type once; safe to call from anywhere, any number of times.
    static int registerMetaType();
    // Wraps a dictionary for storing inside a list or another dictionary.
    static QVariant toVariant(const Dictionary& dictionary);
    static bool isDictionary(const QVariant& value);
};

} // namespace Torrent::Bencode

Q_DECLARE_METATYPE(Torrent::Bencode::Dictionary)
