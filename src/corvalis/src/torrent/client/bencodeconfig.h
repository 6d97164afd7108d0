#pragma once

#include "torrent/bencode/bencodeparser.h"
#include "torrent/bencode/bencodewriter.h"
#include "torrent/client/clientconfig.h"

namespace Torrent::Client {

// A client settings file that is one bencoded dictionary. The parser's dictionary is the
// working copy: keys that no step handles pass through a read and a write unchanged.
class BencodeConfig : public ClientConfig
{
public:
    // The working copy read at the last open(), edited by the write steps.
    const Bencode::Dictionary& dictionary() const { return m_parser.dictionary(); }

protected:
    bool readFile() override;
    bool parseParams() override;
    bool writeParams() override;
    bool writeFile() override;

    virtual bool parseListenPort() = 0;
    virtual bool parseProxyType() = 0;
    virtual bool parseProxyAddress() = 0;
    virtual bool parseProxyPort() = 0;
    virtual bool parseDownloadPath() = 0;
    virtual bool writeListenPort() = 0;
    virtual bool writeProxyType() = 0;
    virtual bool writeProxyAddress() = 0;
    virtual bool writeProxyPort() = 0;
    virtual bool writeDownloadPath() = 0;

    Bencode::Dictionary& values() { return m_parser.dictionary(); }
    // Sets each key to its value in order; an invalid value removes the key.
    void applyFields(const QList<QPair<QByteArray, QVariant>>& fields);
    static bool isInteger(const QVariant& value);

private:
    Bencode::BencodeParser m_parser;
    Bencode::BencodeWriter m_writer;
    // Whether the working copy holds the file at m_path; a failed read leaves none to write.
    bool m_haveContent = false;
};

} // namespace Torrent::Client
