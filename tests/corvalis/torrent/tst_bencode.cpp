#include "torrent/bencode/bencodeparser.h"
#include "torrent/bencode/bencodeprinter.h"
#include "torrent/bencode/bencodewriter.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using Torrent::Bencode::BencodeParser;
using Torrent::Bencode::BencodePrinter;
using Torrent::Bencode::BencodeWriter;
using Torrent::Bencode::Dictionary;

namespace {

QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(CORVALIS_TEST_SOURCE_DIR "/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray encode(const Dictionary& dictionary)
{
    bool ok = false;
    const QByteArray data = BencodeWriter().makeContent(dictionary, &ok);
    return ok ? data : QByteArray("<not encodable>");
}

} // namespace

class TestBencode : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void parseStructure();
    void write_data();
    void write();
    void writeWithoutFlagSkipsBadEntries();
    void unsortedInputWrittenSorted();
    void dictionaryMetaType();
    void print();
    void printUnknownType();
    void everyPrefixOfRealFile();
    void mutationsRoundTrip();
};

void TestBencode::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("canonical");
    QTest::addColumn<QString>("error");

    const QByteArray deep = QByteArray(BencodeParser::MaxNestingDepth, 'l');
    const QByteArray tooDeep = QByteArray(BencodeParser::MaxNestingDepth + 50, 'l');

    QTest::newRow("empty content") << QByteArray() << false << QByteArray() << "No content";
    QTest::newRow("de") << QByteArray("de") << true << QByteArray("de") << "";
    QTest::newRow("d alone") << QByteArray("d") << true << QByteArray("de") << "";
    QTest::newRow("negative") << QByteArray("d1:ai-5ee") << true << QByteArray("d1:ai-5ee") << "";
    QTest::newRow("leading zeros") << QByteArray("d1:ai007ee") << true << QByteArray("d1:ai7ee") << "";
    QTest::newRow("negative zero") << QByteArray("d1:ai-0ee") << true << QByteArray("d1:ai0ee") << "";
    QTest::newRow("nested list") << QByteArray("d1:al1:xl1:yeee") << true << QByteArray("d1:al1:xl1:yeee") << "";
    QTest::newRow("bad integer") << QByteArray("d1:ai5xe") << false << QByteArray() << "error at index 6";
    QTest::newRow("missing value") << QByteArray("d1:a") << false << QByteArray() << "error at index 4";
    QTest::newRow("short string") << QByteArray("d1:a3:xy") << true << QByteArray("d1:a2:xye") << "";
    QTest::newRow("top level list") << QByteArray("l1:ae") << false << QByteArray() << "";
    QTest::newRow("trailing bytes") << QByteArray("de123") << true << QByteArray("de") << "";
    QTest::newRow("integer keys") << QByteArray("di1ei2ee") << true << QByteArray("de") << "";
    QTest::newRow("bad key ends dictionary")
        << QByteArray("d1:ai1e1x") << true << QByteArray("d1:ai1ee") << "Unexpected character at pos 8: x";
    QTest::newRow("repeated key") << QByteArray("d1:ai1e1:ai2ee") << true << QByteArray("d1:ai2ee") << "";
    QTest::newRow("integer cut off") << QByteArray("d1:ai12") << true << QByteArray("d1:ai12ee") << "";
    QTest::newRow("bare i at end") << QByteArray("d1:ai") << true << QByteArray("d1:ai0ee") << "";
    QTest::newRow("length cut off") << QByteArray("d1:a10") << true << QByteArray("d1:a0:e") << "";
    QTest::newRow("empty string") << QByteArray("d1:a0:e") << true << QByteArray("d1:a0:e") << "";
    QTest::newRow("zero padded length") << QByteArray("d1:a002:xye") << true << QByteArray("d1:a2:xye") << "";
    QTest::newRow("minus only") << QByteArray("d1:ai-e") << false << QByteArray() << "error at index 6";
    QTest::newRow("two minus") << QByteArray("d1:ai--1e") << false << QByteArray() << "error at index 6";
    QTest::newRow("bad list element") << QByteArray("d1:alxee") << false << QByteArray() << "error at index 5";
    QTest::newRow("list cut off") << QByteArray("d1:ali1e") << true << QByteArray("d1:ali1eee") << "";
    QTest::newRow("list marker at end") << QByteArray("d1:al") << false << QByteArray() << "error at index 5";
    QTest::newRow("largest integer")
        << QByteArray("d1:ai9223372036854775807ee") << true << QByteArray("d1:ai9223372036854775807ee") << "";
    QTest::newRow("smallest integer")
        << QByteArray("d1:ai-9223372036854775808ee") << true << QByteArray("d1:ai-9223372036854775808ee") << "";
    QTest::newRow("integer overflow")
        << QByteArray("d1:ai9223372036854775808ee") << false << QByteArray() << "error at index 24";
    QTest::newRow("huge integer")
        << QByteArray("d1:ai99999999999999999999999999ee") << false << QByteArray() << "error at index 31";
    QTest::newRow("huge length")
        << QByteArray("d1:a99999999999999999999999999999:xy") << true << QByteArray("d1:a2:xye") << "";
    QTest::newRow("length beyond int")
        << QByteArray("d1:a4294967297:xy") << true << QByteArray("d1:a2:xye") << "";
    QTest::newRow("deepest nesting")
        << QByteArray("d1:a" + QByteArray(BencodeParser::MaxNestingDepth - 1, 'l')
                      + QByteArray(BencodeParser::MaxNestingDepth - 1, 'e') + "e")
        << true
        << QByteArray("d1:a" + QByteArray(BencodeParser::MaxNestingDepth - 1, 'l')
                      + QByteArray(BencodeParser::MaxNestingDepth - 1, 'e') + "e")
        << "";
    // The innermost refusal is where the error is reported.
    QTest::newRow("too deep") << QByteArray("d1:a" + deep + "e") << false << QByteArray() << "error at index 259";
    QTest::newRow("far too deep")
        << QByteArray("d1:a" + tooDeep + QByteArray(tooDeep.size(), 'e') + "e") << false << QByteArray()
        << "error at index 259";
}

void TestBencode::parse()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(QByteArray, canonical);
    QFETCH(QString, error);

    BencodeParser parser;
    QCOMPARE(parser.parse(content), ok);
    QCOMPARE(parser.errorString(), error);
    if (ok)
        QCOMPARE(encode(parser.dictionary()), canonical);
}

void TestBencode::parseStructure()
{
    BencodeParser parser;
    QVERIFY(parser.parse("d1:al1:xl1:yee1:bd1:ci-5eee"));
    const Dictionary& top = parser.dictionary();
    QCOMPARE(top.size(), 2);
    const QVariantList a = top.value("a").toList();
    QCOMPARE(a.size(), 2);
    QCOMPARE(a.at(0).typeId(), int(QMetaType::QByteArray));
    QCOMPARE(a.at(0).toByteArray(), QByteArray("x"));
    QCOMPARE(a.at(1).toList(), QVariantList{QByteArray("y")});
    QVERIFY(Dictionary::isDictionary(top.value("b")));
    const QVariant c = top.value("b").value<Dictionary>().value("c");
    QCOMPARE(c.typeId(), int(QMetaType::LongLong));
    QCOMPARE(c.toLongLong(), -5LL);

    // The dictionary is the caller's to edit in place.
    parser.dictionary().insert("z", qlonglong(1));
    QCOMPARE(parser.dictionary().value("z").toLongLong(), 1LL);
}

void TestBencode::write_data()
{
    QTest::addColumn<QVariant>("tree");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("warnedType");

    Dictionary inner{{"k", QByteArray("v")}};
    Dictionary nested{{"d", Dictionary::toVariant(inner)},
                      {"l", QVariantList{qlonglong(1), Dictionary::toVariant(inner), QVariantList{}}}};

    QTest::newRow("empty") << Dictionary::toVariant({}) << true << QByteArray("de") << QByteArray();
    QTest::newRow("sorted keys")
        << Dictionary::toVariant({{"b", qlonglong(1)}, {"a", QByteArray("x")}}) << true
        << QByteArray("d1:a1:x1:bi1ee") << QByteArray();
    QTest::newRow("int and negative")
        << Dictionary::toVariant({{"i", 42}, {"n", qlonglong(-7)}}) << true << QByteArray("d1:ii42e1:ni-7ee")
        << QByteArray();
    QTest::newRow("byte order")
        << Dictionary::toVariant({{"ab", 1}, {"a", 2}, {"\xff", 3}, {"B", 4}}) << true
        << QByteArray("d1:Bi4e1:ai2e2:abi1e1:\xffi3ee") << QByteArray();
    QTest::newRow("nested") << Dictionary::toVariant(nested) << true
                            << QByteArray("d1:dd1:k1:ve1:lli1ed1:k1:veleee") << QByteArray();
    QTest::newRow("text at top")
        << Dictionary::toVariant({{"a", QStringLiteral("text")}}) << false << QByteArray() << QByteArray("QString");
    QTest::newRow("text in list")
        << Dictionary::toVariant({{"a", 1}, {"b", QVariantList{1, QStringLiteral("t")}}}) << false << QByteArray()
        << QByteArray("QString");
    QTest::newRow("bool") << Dictionary::toVariant({{"a", true}}) << false << QByteArray() << QByteArray("bool");
    QTest::newRow("variant map")
        << Dictionary::toVariant({{"a", QVariantMap{{"k", 1}}}}) << false << QByteArray()
        << QByteArray("QVariantMap");
    QTest::newRow("unsigned") << Dictionary::toVariant({{"a", 5u}}) << false << QByteArray() << QByteArray("uint");
}

void TestBencode::write()
{
    QFETCH(QVariant, tree);
    QFETCH(bool, ok);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, warnedType);

    if (!warnedType.isEmpty()) {
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("BencodeWriter::makeElementData() : Unknown variant type: ")
                                        + QString::fromLatin1(warnedType)));
    }
    bool written = !ok;
    QCOMPARE(BencodeWriter().makeContent(tree.value<Dictionary>(), &written), expected);
    QCOMPARE(written, ok);
}

void TestBencode::writeWithoutFlagSkipsBadEntries()
{
    QTest::ignoreMessage(QtWarningMsg, "BencodeWriter::makeElementData() : Unknown variant type: double");
    const Dictionary dictionary{{"a", 1.5}, {"b", 1}};
    QCOMPARE(BencodeWriter().makeDictionaryData(dictionary, nullptr), QByteArray("d1:bi1ee"));

    QTest::ignoreMessage(QtWarningMsg, "BencodeWriter::makeElementData() : Unknown variant type: double");
    QCOMPARE(BencodeWriter().makeListData(QVariantList{1, 1.5}, nullptr), QByteArray());
    QCOMPARE(BencodeWriter().makeByteStringData("abc"), QByteArray("3:abc"));
    QCOMPARE(BencodeWriter().makeIntData(-12), QByteArray("i-12e"));
}

void TestBencode::unsortedInputWrittenSorted()
{
    const QByteArray unsorted("d4:zetai1e5:alphal1:b1:ae3:midd1:y1:21:x1:1ee");
    BencodeParser parser;
    QVERIFY(parser.parse(unsorted));
    QCOMPARE(encode(parser.dictionary()), QByteArray("d5:alphal1:b1:ae3:midd1:x1:11:y1:2e4:zetai1ee"));

    const QByteArray real = fixture(QStringLiteral("utorrent-settings.dat"));
    QVERIFY(!real.isEmpty());
    QVERIFY(parser.parse(real));
    const QByteArray sorted = encode(parser.dictionary());
    QCOMPARE(sorted.size(), real.size());
    QVERIFY(sorted != real);
    BencodeParser again;
    QVERIFY(again.parse(sorted));
    QCOMPARE(again.dictionary().keys(), parser.dictionary().keys());
    QCOMPARE(encode(again.dictionary()), sorted);
}

void TestBencode::dictionaryMetaType()
{
    BencodeParser parser;
    QVERIFY(parser.parse("d1:ad1:bi1eee"));
    const QVariant nested = parser.dictionary().value("a");
    QCOMPARE(QByteArray(nested.typeName()), QByteArray(Torrent::Bencode::DictionaryTypeName));
    QCOMPARE(QByteArray(Torrent::Bencode::DictionaryTypeName), QByteArray("Torrent::Bencode::Dictionary"));
    const QMetaType byName = QMetaType::fromName("Torrent::Bencode::Dictionary");
    QVERIFY(byName.isValid());
    QCOMPARE(byName, QMetaType::fromType<Dictionary>());
    QVERIFY(nested.typeId() != QMetaType::QVariantMap);
}

void TestBencode::print()
{
    BencodeParser parser;
    QVERIFY(parser.parse("d1:ai1e1:bd1:cl2:xye1:dd1:ei2eeee"));
    BencodePrinter printer;
    bool ok = true;
    const QStringList lines = printer.printDictionary(parser.dictionary(), &ok);
    QVERIFY(ok);
    const QStringList expected{
        "*** DICTIONARY ***",
        "a: 1",
        "b: ",
        "    *** DICTIONARY ***",
        "    c: ",
        "            === List ===",
        "            \"xy\"",
        "            === End list ===",
        "    d: ",
        "            *** DICTIONARY ***",
        "            e: 2",
        "            *** END DICTIONARY ***\n",
        "    *** END DICTIONARY ***\n",
        "*** END DICTIONARY ***\n",
    };
    QCOMPARE(lines, expected);
    QCOMPARE(printer.indentString(), QString());

    QCOMPARE(BencodePrinter().printDictionary({}, &ok), QStringList{"*** EMPTY DICTIONARY ***"});
    QCOMPARE(BencodePrinter().printList({}, &ok), QStringList{"=== Empty list ==="});
    QCOMPARE(BencodePrinter().printList(QVariantList{qlonglong(3), QByteArray("a\0b", 3)}, &ok),
             (QStringList{"=== List ===", "3", "\"a\"", "=== End list ==="}));
    QCOMPARE(BencodePrinter().printDictionary({{"k", QVariantList{}}}, &ok),
             (QStringList{"*** DICTIONARY ***", "k: === Empty list ===", "*** END DICTIONARY ***\n"}));
    QVERIFY(ok);
}

void TestBencode::printUnknownType()
{
    QTest::ignoreMessage(QtWarningMsg, "BencodePrinter::printValue() : Unknown variant type: QString");
    bool ok = true;
    const QStringList lines = BencodePrinter().printDictionary({{"k", QStringLiteral("t")}}, &ok);
    QVERIFY(!ok);
    QCOMPARE(lines, (QStringList{"*** DICTIONARY ***", "k: <empty value>", "*** END DICTIONARY ***\n"}));
}

void TestBencode::everyPrefixOfRealFile()
{
    for (const QString& name : {QStringLiteral("utorrent-settings.dat"), QStringLiteral("azureus.config")}) {
        const QByteArray real = fixture(name);
        QVERIFY(!real.isEmpty());
        for (qsizetype length = 0; length <= real.size(); ++length) {
            BencodeParser parser;
            if (parser.parse(real.left(length))) {
                bool ok = false;
                const QByteArray written = BencodeWriter().makeContent(parser.dictionary(), &ok);
                QVERIFY2(ok, qPrintable(QStringLiteral("prefix %1").arg(length)));
            }
        }
    }
}

// Random edits of a realistic file: nothing may crash (the sanitizer build watches memory),
// and whatever parses must write, and what it writes must read back to the same bytes.
void TestBencode::mutationsRoundTrip()
{
    const QByteArray real = fixture(QStringLiteral("utorrent-settings.dat"));
    QVERIFY(!real.isEmpty());
    QRandomGenerator random(20261211);
    const QByteArray alphabet("dilex:-0123456789\0\xff", 20);
    int parsed = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray content = real;
        const int edits = 1 + int(random.bounded(4));
        for (int e = 0; e < edits && !content.isEmpty(); ++e) {
            const qsizetype at = random.bounded(int(content.size()));
            const char byte = random.bounded(2) ? alphabet.at(random.bounded(int(alphabet.size())))
                                                : char(random.bounded(256));
            switch (random.bounded(4)) {
            case 0: content[at] = byte; break;
            case 1: content.insert(at, byte); break;
            case 2: content.remove(at, 1 + random.bounded(8)); break;
            default: content.truncate(at); break;
            }
        }
        BencodeParser parser;
        if (!parser.parse(content))
            continue;
        ++parsed;
        bool ok = false;
        const QByteArray first = BencodeWriter().makeContent(parser.dictionary(), &ok);
        QVERIFY2(ok, content.toPercentEncoding().constData());
        BencodeParser again;
        QVERIFY2(again.parse(first), first.toPercentEncoding().constData());
        const QByteArray second = BencodeWriter().makeContent(again.dictionary(), &ok);
        QVERIFY(ok);
        QCOMPARE(second, first);
    }
    QVERIFY(parsed > 1000);
}

QTEST_GUILESS_MAIN(TestBencode)
#include "tst_bencode.moc"
