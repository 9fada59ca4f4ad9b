#include "base/ProjectPaths.h"
#include "mapping/MappingGrid.h"
#include "mapping/USetVar.h"
#include "platform/FileSystem.h"
#include "support/TestFiles.h"
#include "support/UndoKeys.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::writeFile;

namespace {

QString cell(QTableView* grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}

void type(QTableView* grid, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c)
        grid->model()->setData(grid->model()->index(row, c + 1), cells[c]);
}

const QByteArray twoRows =
    "<Serial_to_ProfiBus><ProfiBUS_IN>"
    "<row Slave_ID=\"1\" Type=\"Holding Register\" Address_Mod=\"0x10\" NPoint=\"2\" "
    "Address_Profi=\"0\" Mnemonic=\"a\"/></ProfiBUS_IN><ProfiBUS_OUT>"
    "<row Slave_ID=\"3\" Address_Mod=\"4\" NPoint=\"5\" Address_Profi=\"6\" Mnemonic=\"\"/>"
    "</ProfiBUS_OUT></Serial_to_ProfiBus>";

} // namespace

class TestSetVar : public QObject
{
    Q_OBJECT
private:
    test::WindowFixture m_f;
    TFSetVar* m_w = nullptr;
    QString sdoFile() const { return m_f.file(QStringLiteral("sdo.xml")); }

    int open(const std::function<void()>& act = {}) { return m_f.r.openModal(*m_w, act); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(sdoFile());
        QFile::remove(m_f.file(QStringLiteral("pargen.xml")));
        m_f.reset();
        delete m_w;
        m_w = new TFSetVar(m_f.r.context);
    }
    void cleanupTestCase() { delete m_w; }

    void layout()
    {
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Set SDO Access"));
        QCOMPARE(m_w->PageControl1->tabText(0), QStringLiteral("ProfiBus IN --> Serial Read"));
        QCOMPARE(m_w->PageControl1->tabText(1), QStringLiteral("Serial Write --> ProfiBus OUT"));
        QCOMPARE(m_w->findChild<QTableView*>(QStringLiteral("sga")), m_w->sga);
        QStringList headers;
        for (int c = 0; c < m_w->sga->model()->columnCount(); ++c)
            headers << m_w->sga->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"N\u00B0", "Slave ID", "Type", "Address Register", "NPoint",
                                       "Address ProfiBUS", "Mnemonic"}));
        QCOMPARE(m_w->sgb->model()->columnCount(), 6);
        QCOMPARE(m_w->sgb->model()->rowCount(), 244);
        QVERIFY(!(m_w->sga->model()->flags(m_w->sga->model()->index(0, 0)) & Qt::ItemIsEditable));
    }

    void noDocumentThenOkWritesEmptyTables()
    {
        QCOMPARE(open([&] { m_w->bitbtn1->click(); }), int(QDialog::Accepted));
        QVERIFY(m_f.r.messages.all.isEmpty());
        QCOMPARE(readFile(sdoFile()),
                 QByteArray(
                     "<Serial_to_ProfiBus>\n  <ProfiBUS_IN />\n  <ProfiBUS_OUT />\n</Serial_to_ProfiBus>\n"));
    }

    // Every showing reloads: typed cells vanish after Cancel, the stored values come back.
    void cancelWritesNothingAndShowingReloads()
    {
        writeFile(sdoFile(), twoRows);
        QCOMPARE(open([&] {
                     QCOMPARE(cell(m_w->sga, 0, 0), QStringLiteral("1"));
                     QCOMPARE(cell(m_w->sga, 243, 0), QStringLiteral("244"));
                     QCOMPARE(cell(m_w->sga, 0, 3), QStringLiteral("0x10"));
                     QCOMPARE(cell(m_w->sgb, 0, 1), QStringLiteral("3"));
                     type(m_w->sga, 0, {"99"});
                     type(m_w->sgb, 5, {"7", "7", "7", "7", "typed"});
                     m_w->bitbtn2->click();
                 }),
                 int(QDialog::Rejected));
        QCOMPARE(readFile(sdoFile()), twoRows);
        open([&] {
            QCOMPARE(cell(m_w->sga, 0, 1), QStringLiteral("1"));
            QCOMPARE(cell(m_w->sgb, 5, 5), QString());
            m_w->close(); // the close box
        });
        QCOMPARE(readFile(sdoFile()), twoRows);
        QVERIFY(m_f.r.messages.all.isEmpty());
    }

    void okSavesRowsInUseAsTyped()
    {
        writeFile(m_f.file(QStringLiteral("pargen.xml")), "<Par_Gen><Profi_NB_IN>10</Profi_NB_IN></Par_Gen>");
        QCOMPARE(open([&] {
                     QCOMPARE(m_w->InLimit, 10);
                     QCOMPARE(m_w->OutLimit, 244);
                     type(m_w->sga, 0, {"0x13", "Input Register", "0", "1", "10", ""});
                     type(m_w->sga, 2, {"999", "", "", "", "", "after the gap"});
                     type(m_w->sgb, 0, {"1", "0", "1", "200", " spaced "});
                     m_w->bitbtn1->click();
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(
            readFile(sdoFile()),
            QByteArray(
                "<Serial_to_ProfiBus>\n  <ProfiBUS_IN>\n    <row Slave_ID=\"0x13\" Type=\"Input Register\" "
                "Address_Mod=\"0\" NPoint=\"1\" Address_Profi=\"10\" Mnemonic=\"\" />\n  </ProfiBUS_IN>\n"
                "  <ProfiBUS_OUT>\n    <row Slave_ID=\"1\" Address_Mod=\"0\" NPoint=\"1\" "
                "Address_Profi=\"200\" Mnemonic=\" spaced \" />\n  "
                "</ProfiBUS_OUT>\n</Serial_to_ProfiBus>\n"));
    }

    void refusedOkKeepsWindowAndFile()
    {
        writeFile(m_f.file(QStringLiteral("pargen.xml")), "<Par_Gen><Profi_NB_IN>10</Profi_NB_IN></Par_Gen>");
        writeFile(sdoFile(), twoRows);
        open([&] {
            type(m_w->sga, 0, {"1", "Holding Register", "0", "1", "11"});
            m_w->bitbtn1->click();
            QVERIFY(m_w->isVisible());
            QCOMPARE(cell(m_w->sga, 0, 5), QStringLiteral("11"));
        });
        QCOMPARE(
            m_f.r.messages.errors,
            QStringList{
                "Error row 1!! [ProfiBus IN --> Serial Read] Address Profibus must be between 0 and 10. "});
        QCOMPARE(readFile(sdoFile()), twoRows);
    }

    void failedSaveKeepsWindowOpen()
    {
        m_f.r.paths.SdoXmlPath = m_f.r.paths.ProjectDir + QStringLiteral("\\missing\\sdo.xml");
        open([&] {
            type(m_w->sgb, 0, {"1", "0", "1", "0", "kept"});
            m_w->bitbtn1->click();
            QVERIFY(m_w->isVisible());
            QCOMPARE(cell(m_w->sgb, 0, 5), QStringLiteral("kept"));
        });
        QCOMPARE(m_f.r.messages.errors.size(), 1);
        QVERIFY(m_f.r.messages.errors.first().startsWith(QStringLiteral("Cannot create file")));
    }

    // A failed load is reported, the rows read before it are shown, the file is left alone.
    void loadFailureShowsWhatWasLoaded_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("inFirstSlave");
        QTest::newRow("not well-formed") << QByteArray("<Serial_to_ProfiBus><ProfiBUS_IN>") << QString();
        QTest::newRow("no output holder")
            << QByteArray(twoRows).replace("<ProfiBUS_OUT>", "<Other>").replace("</ProfiBUS_OUT>", "</Other>")
            << QStringLiteral("1");
    }
    void loadFailureShowsWhatWasLoaded()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, inFirstSlave);
        writeFile(sdoFile(), xml);
        open([&] {
            QCOMPARE(cell(m_w->sga, 0, 1), inFirstSlave);
            QCOMPARE(cell(m_w->sgb, 0, 1), QString());
            m_w->bitbtn2->click();
        });
        QCOMPARE(m_f.r.messages.errors.size(), 1);
        QVERIFY(m_f.r.messages.errors.first().contains(NativePath(m_f.r.paths.SdoXmlPath)));
        QCOMPARE(readFile(sdoFile()), xml);
    }

    void unreadablePargenStillLoadsTables()
    {
        writeFile(m_f.file(QStringLiteral("pargen.xml")), "<Par_Gen>");
        writeFile(sdoFile(), twoRows);
        open([&] { QCOMPARE(cell(m_w->sgb, 0, 1), QStringLiteral("3")); });
        QCOMPARE(m_f.r.messages.errors.size(), 1);
        QCOMPARE(m_w->InLimit, 244);
    }

    void rowsBeyondGridNoticeLeavesFile()
    {
        QByteArray rows;
        for (int i = 1; i <= 250; ++i)
            rows += "<r Slave_ID=\"" + QByteArray::number(i)
                    + "\" Type=\"Input Register\" Address_Mod=\"0\" "
                      "NPoint=\"1\" Address_Profi=\"0\" Mnemonic=\"\"/>";
        const QByteArray xml = "<S><ProfiBUS_IN>" + rows + "</ProfiBUS_IN><ProfiBUS_OUT/></S>";
        writeFile(sdoFile(), xml);
        open([&] {
            QCOMPARE(cell(m_w->sga, 243, 1), QStringLiteral("244"));
            m_w->bitbtn2->click();
        });
        QCOMPARE(m_f.r.messages.messages.size(), 1);
        QVERIFY(m_f.r.messages.errors.isEmpty());
        QCOMPARE(readFile(sdoFile()), xml);
    }

    // Text still in a cell editor when OK is pressed is part of what is saved.
    void okTakesTextOfOpenEditor()
    {
        open([&] {
            type(m_w->sgb, 0, {"1", "0", "1", "0"});
            const QModelIndex index = m_w->sgb->model()->index(0, 5);
            m_w->sgb->setCurrentIndex(index);
            m_w->sgb->edit(index);
            auto* editor = qobject_cast<QLineEdit*>(m_w->sgb->indexWidget(index));
            QVERIFY(editor);
            editor->setText(QStringLiteral("still editing"));
            m_w->bitbtn1->click();
        });
        QVERIFY(readFile(sdoFile()).contains("Mnemonic=\"still editing\""));
    }

    void typeCellChoosesRegisterKind()
    {
        open([&] {
            const QModelIndex index = m_w->sga->model()->index(0, 2);
            QAbstractItemDelegate* delegate = m_w->sga->itemDelegateForIndex(index);
            QWidget* editor = delegate->createEditor(m_w->sga->viewport(), QStyleOptionViewItem(), index);
            auto* combo = qobject_cast<QComboBox*>(editor);
            QVERIFY(combo);
            QCOMPARE(combo->count(), 2);
            delegate->setEditorData(combo, index);
            QCOMPARE(combo->currentIndex(), -1);
            combo->setCurrentIndex(1);
            delegate->setModelData(combo, m_w->sga->model(), index);
            QCOMPARE(cell(m_w->sga, 0, 2), QStringLiteral("Input Register"));
            delete editor;
        });
    }

    // OK asks before it replaces a document this showing could not read whole; No writes nothing.
    void okAfterPartialLoadAsksFirst_data()
    {
        QTest::addColumn<QByteArray>("xml"); // empty: no document
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("yes");
        const QByteArray noAttribute = QByteArray(twoRows).replace(" Mnemonic=\"\"", "");
        QByteArray rows;
        for (int i = 1; i <= MappingRowCount + 1; ++i)
            rows += "<r Slave_ID=\"1\" Type=\"Input Register\" Address_Mod=\"0\" NPoint=\"1\" "
                    "Address_Profi=\"0\" Mnemonic=\"\"/>";
        QTest::newRow("row without an attribute, No") << noAttribute << true << false;
        QTest::newRow("row without an attribute, Yes") << noAttribute << true << true;
        QTest::newRow("more rows than the grid, No")
            << "<S><ProfiBUS_IN>" + rows + "</ProfiBUS_IN><ProfiBUS_OUT/></S>" << true << false;
        QTest::newRow("not well-formed, No") << QByteArray("<Serial_to_ProfiBus>") << true << false;
        QTest::newRow("read whole") << twoRows << false << false;
        QTest::newRow("no document") << QByteArray() << false << false;
    }
    void okAfterPartialLoadAsksFirst()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, asks);
        QFETCH(bool, yes);
        if (!xml.isEmpty())
            writeFile(sdoFile(), xml);
        m_f.r.messages.answers = {yes};
        const int result = open([&] {
            type(m_w->sgb, 0, {"9", "1", "1", "1", "typed"});
            m_w->bitbtn1->click();
        });
        QCOMPARE(m_f.r.messages.questions.size(), int(asks));
        const bool saves = !asks || yes;
        QCOMPARE(result, int(saves ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(readFile(sdoFile()).contains("Mnemonic=\"typed\""), saves);
        if (!saves)
            QCOMPARE(readFile(sdoFile()), xml);
    }

    void undoAndRedoReachTheLoadedAndTheEditedDocument_data()
    {
        QTest::addColumn<QString>("keys"); // pressed in an open cell editor, then in the grid
        QTest::addColumn<int>("steps");    // edits the saved document holds
        QTest::newRow("no key: every edit") << "" << 5;
        QTest::newRow("Ctrl+Z takes back the text of the open cell editor first") << "z" << 4;
        QTest::newRow("Ctrl+Z undoes every step") << "zzzzz" << 0;
        QTest::newRow("more Ctrl+Z than steps: the loaded document") << "zzzzzzz" << 0;
        QTest::newRow("Ctrl+Shift+Z redoes") << "zzzzzZZZZZ" << 5;
        QTest::newRow("Ctrl+Y redoes the paste and the Pack") << "zzzzzyyy" << 3;
        QTest::newRow("redo past the last step changes nothing") << "zyyy" << 5;
    }

    void undoAndRedoReachTheLoadedAndTheEditedDocument()
    {
        QFETCH(QString, keys);
        QFETCH(int, steps);
        MappingTables state{
            {{"1", "Holding Register", "16", "2", "40", "a"}, {"2", "Input Register", "0", "1", "4", "b"}},
            {{"3", "4", "5", "6", ""}, {"4", "5", "1", "20", "x"}, {"5", "6", "1", "30", ""}}};
        QVERIFY(SaveMappingDocument(sdoFile(), state).ok());
        QList<QByteArray> documents{readFile(sdoFile())};
        const auto edited = [&](const std::function<void(MappingTables&)>& edit) {
            edit(state);
            QVERIFY(SaveMappingDocument(m_f.file(QStringLiteral("expected.xml")), state).ok());
            documents << readFile(m_f.file(QStringLiteral("expected.xml")));
        };
        edited([](MappingTables& t) { t.in[0][3] = "3"; });
        edited([](MappingTables& t) {
            t.out[1][0] = "9", t.out[1][1] = "8", t.out[2][0] = "7", t.out[2][1] = "6";
        });
        edited([](MappingTables& t) { t.in[0][4] = "0", t.in[1][4] = "6"; });
        edited([](MappingTables& t) { t.in[0][5] = ""; });
        edited([](MappingTables& t) { t.in[1][0] = "5"; });
        m_f.r.messages.answers = {true};

        QCOMPARE(open([&] {
                     QAbstractItemModel* a = m_w->sga->model();
                     m_w->sga->edit(a->index(0, 4));
                     QTest::keyClicks(m_w->sga->indexWidget(a->index(0, 4)), QStringLiteral("3"));
                     QTest::keyClick(m_w->sga->indexWidget(a->index(0, 4)), Qt::Key_Return);
                     QCoreApplication::processEvents();
                     QApplication::clipboard()->setText(QStringLiteral("9\t8\n7\t6"));
                     m_w->sgb->setCurrentIndex(m_w->sgb->model()->index(1, 1));
                     QTest::keyClick(m_w->sgb, Qt::Key_V, Qt::ControlModifier);
                     QCoreApplication::processEvents();
                     m_w->btnPackA->click();
                     m_w->sga->setCurrentIndex(a->index(0, 6));
                     QTest::keyClick(m_w->sga, Qt::Key_Delete);
                     QCoreApplication::processEvents();
                     m_w->sga->setCurrentIndex(a->index(1, 1));
                     m_w->sga->edit(a->index(1, 1));
                     QTest::keyClicks(m_w->sga->indexWidget(a->index(1, 1)), QStringLiteral("5"));
                     test::pressUndoKeys(m_w->sga->indexWidget(a->index(1, 1)), keys.left(1));
                     test::pressUndoKeys(m_w->sga, keys.mid(1));
                     m_w->bitbtn1->click();
                 }),
                 int(QDialog::Accepted));
        QCOMPARE(m_f.r.messages.errors, QStringList());
        QCOMPARE(readFile(sdoFile()), documents[steps]);
    }
};

QTEST_MAIN(TestSetVar)
#include "tst_setvar.moc"
