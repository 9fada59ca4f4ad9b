// Document encodings: every encoding a project's documents can carry is decoded to the same characters,
// or refused with a message naming what stopped it; nothing is replaced on the way in or out.

#include "mapping/MappingDocument.h"
#include "platform/XmlDocument.h"
#include "support/TestFiles.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <pugixml.hpp>

using namespace velmaro;

namespace {

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding, bool bom)
{
    QStringEncoder encoder(encoding,
                           bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

} // namespace

class TestXmlEncoding : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void decodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("value"); // of the root's attribute v; empty when refused
        QTest::addColumn<QString>("refusal");
        const QString accents = QStringLiteral("caf\u00e9 \u20ac5");
        QTest::newRow("windows-1252") << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
                                                    "<r v=\"caf\xe9 \x80"
                                                    "5\"/>")
                                      << accents << "";
        QTest::newRow("cp1252 alias, undefined byte kept as its control character")
            << QByteArray("<?xml version='1.0' encoding='CP1252'?><r v=\"\x81\x9f\"/>")
            << QStringLiteral("\u0081\u0178") << "";
        QTest::newRow("ISO-8859-1: 0x80 is a control character")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"caf\xe9 \x80"
                          "5\"/>")
            << QStringLiteral("caf\u00e9 \u00805") << "";
        const QByteArray utf8 = (QStringLiteral("<r v=\"") + accents + QStringLiteral("\"/>")).toUtf8();
        QTest::newRow("UTF-8 undeclared") << utf8 << accents << "";
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + utf8 << accents << "";
        const QString wide = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r v=\"") + accents
                             + QStringLiteral("\"/>");
        QTest::newRow("UTF-16LE with BOM") << utf16(wide, QStringConverter::Utf16LE, true) << accents << "";
        QTest::newRow("UTF-16BE without BOM")
            << utf16(wide, QStringConverter::Utf16BE, false) << accents << "";
        QTest::newRow("unknown encoding")
            << QByteArray("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><r v=\"\xc1\"/>") << ""
            << "doc.xml: the document's encoding \"KOI8-R\" cannot be read";
        QTest::newRow("undeclared Latin-1")
            << QByteArray("<r>\n<x v=\"caf\xe9\"/></r>") << ""
            << "doc.xml: the document is not valid UTF-8 (line 2, column 10); it "
               "declares no other encoding";
        QTest::newRow("overlong UTF-8 slash") << QByteArray("<r v=\"\xc0\xaf\"/>") << ""
                                              << "not valid UTF-8 (line 1, column 7)";
        QTest::newRow("US-ASCII with a high byte")
            << QByteArray("<?xml version=\"1.0\" encoding=\"US-ASCII\"?><r v=\"\xe9\"/>") << ""
            << "not valid US-ASCII";
        // Well-formed means well-formed, whatever the tree parser would let pass.
        QTest::newRow("second root element") << QByteArray("<r v=\"1\"/>\n<r v=\"2\"/>") << ""
                                             << "doc.xml: Extra content at end of document. (line 2";
        QTest::newRow("text after the root") << QByteArray("<r v=\"1\"/>\ntail") << ""
                                             << "(line 2";
        QTest::newRow("reference to ESC") << QByteArray("<r v=\"a&#27;b\"/>") << ""
                                          << "(line 1, column";
        QTest::newRow("hex reference to NUL") << QByteArray("<r>\n<x v=\"&#x0;\"/></r>") << ""
                                              << "(line 2";
        QTest::newRow("raw control byte") << QByteArray("<r v=\"a\x01b\"/>") << ""
                                          << "(line 1";
        QTest::newRow("allowed references and a comment after the root")
            << QByteArray("<r v=\"&#9;&#x20AC;&lt;\"/>\n<!-- end -->\n") << QStringLiteral("\t\u20ac<") << "";
    }
    void decodes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, value);
        QFETCH(QString, refusal);
        const auto doc = ParseXmlDocument(bytes, QStringLiteral("doc.xml"));
        if (!refusal.isEmpty()) {
            QVERIFY(!doc.ok());
            QVERIFY2(doc.error().contains(refusal), qPrintable(doc.error()));
            return;
        }
        QVERIFY2(doc.ok(), qPrintable(doc.error()));
        QCOMPARE(QString::fromUtf8((*doc)->document_element().attribute("v").value()), value);
    }

    // A windows-1252 document read and saved keeps every character: the save writes UTF-8, which reads
    // back the same.
    void windows1252SurvivesSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sdo.xml"));
        test::writeFile(path,
                        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<Serial_to_ProfiBus><ProfiBUS_IN>"
                        "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"0\" NPoint=\"1\" "
                        "Address_Profi=\"0\" Mnemonic=\"D\xe9"
                        "bit \x80\"/></ProfiBUS_IN><ProfiBUS_OUT/></Serial_to_ProfiBus>");
        const MappingLoad first = LoadMappingDocument(path);
        QVERIFY2(first.ok(), qPrintable(first.error));
        const QString mnemonic = QStringLiteral("D\u00e9bit \u20ac");
        QCOMPARE(first.tables.in.value(0).value(5), mnemonic);
        QVERIFY(SaveMappingDocument(path, first.tables).ok());
        QVERIFY(test::readFile(path).contains(mnemonic.toUtf8()));
        const MappingLoad second = LoadMappingDocument(path);
        QCOMPARE(second.tables.in, first.tables.in);
    }
};

QTEST_GUILESS_MAIN(TestXmlEncoding)
#include "tst_xmlencoding.moc"
