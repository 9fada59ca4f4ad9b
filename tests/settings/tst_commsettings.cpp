#include "platform/FileSystem.h"
#include "settings/CommEditorRules.h"
#include "settings/CommSettings.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::writeFile;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

// A complete document in the editor's order with one element replaced or left out.
QByteArray document(const QByteArray& root = "Par_Gen")
{
    return "<" + root
           + ">\n<Ser_Type>1</Ser_Type><Ser_RecTra>0</Ser_RecTra><Ser_Transmit>0</Ser_Transmit>"
             "<Ser_Receive>0</Ser_Receive><Ser_Trans_Every>500</Ser_Trans_Every>"
             "<Ser_Receive_End_C>0x13</Ser_Receive_End_C><Ser_Receive_End_T>20</Ser_Receive_End_T>"
             "<Ser_Baud>3</Ser_Baud><Ser_Par>2</Ser_Par><Ser_DataBits>1</Ser_DataBits>"
             "<Ser_TimeOut>100</Ser_TimeOut><Profi_ID>5</Profi_ID><Profi_Baud>10</Profi_Baud>"
             "<Profi_NB_IN>32</Profi_NB_IN><Profi_NB_OUT>16</Profi_NB_OUT>\n</"
           + root + ">";
}

CommSettings stored()
{
    CommSettings s;
    const QStringList texts = {"1", "0", "0",   "0", "500", "0x13", "20", "3",
                               "2", "1", "100", "5", "10",  "32",   "16"};
    for (int i = 0; i < 15; ++i)
        s.*CommFields()[i].member = texts.at(i);
    return s;
}

void compareSettings(const CommSettings& a, const CommSettings& b)
{
    for (const CommField& f : CommFields()) {
        if (a.*f.member != b.*f.member)
            QFAIL(qPrintable(QStringLiteral("field %1: '%2' vs '%3'")
                                 .arg(QLatin1String(f.element), (a.*f.member).value_or("<absent>"),
                                      (b.*f.member).value_or("<absent>"))));
    }
}

} // namespace

class TestCommSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaultsWriteTheGoldenDocument()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("\\pargen.xml");
        QVERIFY(SaveCommSettings(path, CommSettingsFromEditor(CommEditorValues())).ok());
        QCOMPARE(readFile(NativePath(path), "<unreadable>"),
                 readFile(QStringLiteral(VELMARO_TEST_DATA "/settings/defaults.xml"), "<unreadable>"));
    }

    void saveAndLoadKeepTextsAsTyped()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/pargen.xml");
        CommSettings s = stored();
        s.Ser_Trans_Every = QStringLiteral("  19");
        s.Profi_ID = QStringLiteral("$7e");
        s.Ser_TimeOut = QStringLiteral("a<b&c");
        QVERIFY(SaveCommSettings(path, s).ok());
        const auto loaded = LoadCommSettings(path);
        QVERIFY(loaded.ok() && loaded.value());
        compareSettings(*loaded.value(), s);
    }

    void readersIgnoreLayoutRootNameAndOtherChildren_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("as written") << document();
        QTest::newRow("other root name") << document("Settings");
        QByteArray reordered = document();
        reordered.replace("<Ser_Type>1</Ser_Type>", "");
        reordered.replace("</Profi_NB_OUT>", "</Profi_NB_OUT><Ser_Type>1</Ser_Type>");
        QTest::newRow("reordered") << reordered;
        QByteArray duplicated = document();
        duplicated.replace("</Profi_NB_OUT>", "</Profi_NB_OUT><Ser_Type>0</Ser_Type><Profi_ID>99</Profi_ID>");
        QTest::newRow("later duplicates ignored") << duplicated;
        QByteArray unknown = document();
        unknown.replace("<Ser_Baud>", "<Extra a=\"1\">x<Ser_Baud>7</Ser_Baud></Extra><!-- c --><Ser_Baud>");
        QTest::newRow("unknown children and nested names ignored") << unknown;
        QTest::newRow("declaration and blanks")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n")
                   + document().replace("><", ">\r\n  <");
    }
    void readersIgnoreLayoutRootNameAndOtherChildren()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        writeFile(dir.path() + QStringLiteral("/pargen.xml"), bytes);
        const auto loaded = LoadCommSettings(dir.path() + QStringLiteral("\\pargen.xml"));
        QVERIFY2(loaded.ok(), qPrintable(loaded.error()));
        QVERIFY(loaded.value());
        compareSettings(*loaded.value(), stored());
    }

    void missingFileIsNoDocument()
    {
        QTemporaryDir dir;
        const auto loaded = LoadCommSettings(dir.path() + QStringLiteral("\\pargen.xml"));
        QVERIFY(loaded.ok());
        QVERIFY(!loaded.value());
    }

    void notWellFormedFailsWithPosition_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("where");
        QTest::newRow("unclosed") << QByteArray("<Par_Gen>\n<Ser_Type>1</Ser_Type>\n") << "(line ";
        QTest::newRow("mismatch") << QByteArray("<Par_Gen>\n  <Ser_Type>1</Ser_Typ>\n</Par_Gen>") << "line 2";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("text only") << QByteArray("hello") << "";
    }
    void notWellFormedFailsWithPosition()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, where);
        QTemporaryDir dir;
        writeFile(dir.path() + QStringLiteral("/pargen.xml"), bytes);
        const auto loaded = LoadCommSettings(dir.path() + QStringLiteral("\\pargen.xml"));
        QVERIFY(!loaded.ok());
        QVERIFY2(loaded.error().contains(QStringLiteral("pargen.xml")), qPrintable(loaded.error()));
        QVERIFY2(loaded.error().contains(where), qPrintable(loaded.error()));
    }

    void saveRefusesAnIncompleteRecord()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/pargen.xml");
        writeFile(path, "old");
        CommSettings s = stored();
        s.Profi_NB_OUT.reset();
        const Status saved = SaveCommSettings(path, s);
        QVERIFY(!saved.ok());
        QVERIFY(saved.error().contains(QStringLiteral("Profi_NB_OUT")));
        QCOMPARE(readFile(path, "<unreadable>"), QByteArray("old"));
    }

    void saveIntoMissingFolderFails()
    {
        QTemporaryDir dir;
        const Status saved = SaveCommSettings(dir.path() + QStringLiteral("\\gone\\pargen.xml"), stored());
        QVERIFY(!saved.ok());
        QVERIFY(saved.error().startsWith(QStringLiteral("Cannot create file \"")));
    }

    void profibusByteCount_data()
    {
        QTest::addColumn<std::optional<QString>>("field");
        QTest::addColumn<int>("count");
        QTest::newRow("absent") << std::optional<QString>() << 244;
        QTest::newRow("not an integer") << std::optional<QString>(QStringLiteral("12 ")) << 244;
        QTest::newRow("hex") << std::optional<QString>(QStringLiteral("0x10")) << 16;
        QTest::newRow("out of range kept") << std::optional<QString>(QStringLiteral("300")) << 300;
    }
    void profibusByteCount()
    {
        QFETCH(std::optional<QString>, field);
        QFETCH(int, count);
        QCOMPARE(ProfibusByteCount(field), count);
    }
};

QTEST_GUILESS_MAIN(TestCommSettings)
#include "tst_commsettings.moc"
