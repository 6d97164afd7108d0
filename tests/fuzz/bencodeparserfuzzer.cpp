// libFuzzer target for the bencode parser: no input may crash it or touch memory outside
// the content, and whatever it reads must write back and read again to the same bytes.

#include "torrent/bencode/bencodeparser.h"
#include "torrent/bencode/bencodewriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Torrent::Bencode;
    // A copy that owns exactly the input, so any read past its end is caught.
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    BencodeParser parser;
    if (!parser.parse(content))
        return 0;
    const BencodeWriter writer;
    bool ok = false;
    const QByteArray first = writer.makeContent(parser.dictionary(), &ok);
    if (!ok)
        std::abort();
    BencodeParser again;
    if (!again.parse(first))
        std::abort();
    const QByteArray second = writer.makeContent(again.dictionary(), &ok);
    if (!ok || second != first)
        std::abort();
    return 0;
}
