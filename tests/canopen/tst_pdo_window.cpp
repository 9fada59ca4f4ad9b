#include "canopen/Updo.h"
#include "platform/FileSystem.h"
#include "support/TestFiles.h"
#include "support/UndoKeys.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace velmaro;
using velmaro::test::readFile;
using velmaro::test::writeFile;

namespace {

QByteArray row(int cobid, int flag)
{
    return QStringLiteral("<row cobid=\"%1\" id_dev_orig=\"d\" en_bypass=\"%2\" posind=\"p\" n_tpdo=\"n\"/>")
        .arg(cobid)
        .arg(flag)
        .toUtf8();
}

QStringList gridRow(PdoGrid* grid, int r)
{
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c)
        cells << grid->cellText(r, c);
    return cells;
}

} // namespace

class TestPdoWindow : public QObject
{
    Q_OBJECT
private:
    test::WindowFixture m_f;
    TFpdo* m_w = nullptr;
    QString docFile() const { return m_f.file(QStringLiteral("rpdodef.xml")); }

    int open(const std::function<void()>& act = {}) { return m_f.r.openModal(*m_w, act); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(docFile());
        QFile::remove(m_f.file(QStringLiteral("rpdodef.csv")));
        m_f.reset();
        delete m_w;
        m_w = new TFpdo(m_f.r.context);
    }
    void cleanupTestCase() { delete m_w; }

    void layoutAndMissingDocument()
    {
        open();
        QCOMPARE(m_w->windowTitle(), QStringLiteral("Define Traslate PDO"));
        QCOMPARE(m_w->TabbedNotebook1->tabText(0), QStringLiteral("PDO From CanA to CanB"));
        QCOMPARE(m_w->TabbedNotebook1->tabText(1), QStringLiteral("PDO From CanB to CanA"));
        QCOMPARE(m_w->sga->rowCount(), 11);
        QCOMPARE(m_w->sgb->columnCount(), 6);
        QCOMPARE(gridRow(m_w->sga, 0),
                 (QStringList{"N", "cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"}));
        QCOMPARE(m_w->sga->cellText(1, 0), QStringLiteral("0"));
        QCOMPARE(m_w->sgb->cellText(10, 0), QStringLiteral("9"));
        QVERIFY(!(m_w->sga->item(0, 1)->flags() & Qt::ItemIsEditable));
        QVERIFY(m_w->sga->item(1, 1)->flags() & Qt::ItemIsEditable);
        QCOMPARE(m_f.r.messages.messages, QStringList{"File XML not found"});
    }

    void loadShowsTenOfTwelveAndOkSavesTwelve()
    {
        QByteArray rows;
        for (int i = 1; i <= 12; ++i)
            rows += row(i, 3);
        rows += row(100, 1);
        writeFile(docFile(), "<rpdodef>" + rows + "</rpdodef>");
        // Two records are not shown, but kept: the document was read whole and OK does not ask.
        QCOMPARE(open([&] { m_w->bitbtn1->click(); }), int(QDialog::Accepted));
        QCOMPARE(m_f.r.messages.questions, QStringList());
        QVERIFY(m_f.r.messages.messages.isEmpty());
        QCOMPARE(gridRow(m_w->sga, 10), (QStringList{"9", "10", "d", "1", "p", "n"}));
        QCOMPARE(gridRow(m_w->sgb, 1), (QStringList{"0", "100", "d", "1", "p", "n"}));
        const QByteArray saved = readFile(docFile());
        QCOMPARE(saved.count("<row "), 13);
        QVERIFY(saved.contains("cobid=\"12\" id_dev_orig=\"d\" en_bypass=\"3\""));
        QVERIFY(saved.contains("cobid=\"100\" id_dev_orig=\"d\" en_bypass=\"1\""));
    }

    void readErrorShowsTheRowsBefore()
    {
        writeFile(docFile(),
                  "<rpdodef>" + row(1, 2) + "<row cobid=\"5\" en_bypass=\"0\"/>" + row(3, 3) + "</rpdodef>");
        open();
        QCOMPARE(m_f.r.messages.messages.size(), 1);
        QCOMPARE(m_f.r.messages.messages.first().section(QLatin1Char('\n'), 0, 1),
                 QStringLiteral("Error in reading file XML\n\"%1\": row 2 has no attribute \"id_dev_orig\"")
                     .arg(DisplayPath(docFile())));
        QCOMPARE(gridRow(m_w->sga, 1), (QStringList{"0", "1", "d", "0", "p", "n"}));
        QCOMPARE(gridRow(m_w->sgb, 1), (QStringList{"0", "5", "", "", "", ""}));
        QCOMPARE(m_w->sga->cellText(2, 1), QString());
    }

    void okAfterAPartialLoadAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes saves") << true;
        QTest::newRow("No writes nothing and stays open") << false;
    }
    void okAfterAPartialLoadAsksFirst()
    {
        QFETCH(bool, yes);
        const QByteArray partial =
            "<rpdodef>" + row(1, 2) + "<row cobid=\"5\" en_bypass=\"0\"/>" + row(3, 3) + "</rpdodef>";
        writeFile(docFile(), partial);
        m_f.r.messages.answers = {yes};
        const int result = open([&] {
            m_w->bitbtn1->click();
            QCOMPARE(m_w->isVisible(), !yes);
            if (!yes)
                m_w->bitbtn2->click();
        });
        QCOMPARE(result, int(yes ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(m_f.r.messages.questions.size(), 1);
        QVERIFY(m_f.r.messages.questions.first().contains(QDir::toNativeSeparators(docFile())));
        const QByteArray saved = readFile(docFile());
        QCOMPARE(saved == partial, !yes);
        if (yes)
            QCOMPARE(saved.count("<row "), 2); // the rows this window showed
    }

    void okWithBadCobidStaysOpenAndWritesNothing()
    {
        writeFile(docFile(), "<rpdodef>" + row(1, 2) + "</rpdodef>");
        QCOMPARE(open([&] {
                     m_w->sga->item(2, 1)->setText(QStringLiteral("0x18G"));
                     m_w->bitbtn1->click();
                     QVERIFY(m_w->isVisible());
                 }),
                 int(QDialog::Rejected));
        QCOMPARE(m_f.r.messages.errors, QStringList{"'0x18G' is not a valid integer value"});
        QCOMPARE(readFile(docFile()), "<rpdodef>" + row(1, 2) + "</rpdodef>");
    }

    void typedCellsSavedOrderedAndCancelDropsThem()
    {
        open([&] {
            m_w->sga->item(1, 1)->setText(QStringLiteral("0x181"));
            m_w->sga->item(1, 3)->setText(QStringLiteral(" 1"));
            m_w->sga->item(2, 1)->setText(QStringLiteral("385"));
            m_w->sga->item(2, 3)->setText(QStringLiteral("1"));
            m_w->sga->item(4, 1)->setText(QStringLiteral("7")); // below an empty cobid: not a record
            m_w->bitbtn2->click();
        });
        QVERIFY(!QFile::exists(docFile()));
        open([&] {
            QCOMPARE(m_w->sga->cellText(1, 1), QString()); // reloaded empty
            m_w->sga->item(1, 1)->setText(QStringLiteral("0x181"));
            m_w->sga->item(1, 3)->setText(QStringLiteral(" 1"));
            m_w->sga->item(2, 1)->setText(QStringLiteral("385"));
            m_w->sga->item(2, 3)->setText(QStringLiteral("1"));
            m_w->sga->item(4, 1)->setText(QStringLiteral("7"));
            m_w->bitbtn1->click();
        });
        QCOMPARE(
            readFile(docFile()),
            QByteArray("<rpdodef>\n"
                       "  <row cobid=\"385\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" n_tpdo=\"\" />\n"
                       "  <row cobid=\"0x181\" id_dev_orig=\"\" en_bypass=\"2\" posind=\"\" n_tpdo=\"\" />\n"
                       "</rpdodef>\n"));
    }

    void importThroughTheOpenDialog()
    {
        writeFile(docFile(), "<rpdodef>" + row(1, 2) + "</rpdodef>");
        m_f.r.dialogs.fileAnswers = {std::nullopt,
                                     QStringLiteral(VELMARO_TEST_DATA "/canopen/pdo_openpyxl.xlsx")};
        open([&] {
            m_w->bitbtn4->click(); // cancelled: nothing changes
            QCOMPARE(m_w->sga->cellText(1, 1), QStringLiteral("1"));
            m_w->bitbtn4->click();
            m_w->bitbtn2->click();
        });
        QCOMPARE(m_f.r.dialogs.fileRequests.size(), 2);
        QCOMPARE(m_f.r.dialogs.fileRequests.first().initialDir, m_f.dir.path());
        QVERIFY(m_f.r.dialogs.fileRequests.first().filter.startsWith(
            QStringLiteral("File EXCEL (*.xls)|*.xls|")));
        QCOMPARE(gridRow(m_w->sga, 2), (QStringList{"1", "0x181", "7", "1", "", "2"}));
        QCOMPARE(gridRow(m_w->sgb, 1), (QStringList{"0", "640", "12", "0", "", "x"}));
        QVERIFY(m_f.r.messages.all.isEmpty());
        QCOMPARE(readFile(docFile()), "<rpdodef>" + row(1, 2) + "</rpdodef>"); // Cancel: not saved
    }

    void importNotReadWholeSaysSoAndKeepsWhatItPlaced_data()
    {
        QTest::addColumn<QString>("workbook");
        QTest::addColumn<QStringList>("firstRow");
        QTest::addColumn<QString>("message");
        QTest::newRow("no worksheet: emptied")
            << "pdo_nosheet_openpyxl.xlsx" << QStringList{"0", "", "", "", "", ""}
            << "Workbook \"%1\" has no worksheet \"rpdodef\".";
        QTest::newRow("stopped at record 2: record 1 stays")
            << "pdo_stop_openpyxl.xlsx" << QStringList{"0", "1", "2", "1", "3", "4"}
            << "Import stopped at record 2 (worksheet row 3): '' is not a valid integer value. "
               "The records before it were imported.";
    }
    void importNotReadWholeSaysSoAndKeepsWhatItPlaced()
    {
        QFETCH(QString, workbook);
        QFETCH(QStringList, firstRow);
        QFETCH(QString, message);
        writeFile(docFile(), "<rpdodef>" + row(1, 2) + "</rpdodef>");
        const QString path = QStringLiteral(VELMARO_TEST_DATA "/canopen/") + workbook;
        m_f.r.dialogs.fileAnswers = {path};
        open([&] { m_w->bitbtn4->click(); });
        QCOMPARE(gridRow(m_w->sga, 1), firstRow);
        QCOMPARE(gridRow(m_w->sga, 2).at(1), QString());
        QCOMPARE(gridRow(m_w->sga, 0).at(1), QStringLiteral("cobid"));
        QCOMPARE(m_f.r.messages.messages, QStringList{message.arg(QDir::toNativeSeparators(path))});
    }

    void exportWritesTheGridRows()
    {
        open([&] {
            m_w->sgb->item(1, 1)->setText(QStringLiteral("a,b"));
            m_w->sgb->item(1, 3)->setText(QStringLiteral("1"));
            m_w->button1->click();
            QVERIFY(m_w->isVisible());
        });
        const QByteArray csv = readFile(m_f.file(QStringLiteral("rpdodef.csv")));
        QCOMPARE(csv.count("\r\n"), 22);
        QVERIFY(csv.contains("\r\ncobid,id_dev_orig,10,posind,n_tpdo,\r\na,b,,11,,,\r\n,,10,,,\r\n"));
    }

    void resizeSharesTheWidth()
    {
        open([&] {
            m_w->resize(700, 400);
            QCoreApplication::processEvents();
            QVERIFY(m_w->sga->width() > 300);
            QCOMPARE(m_w->sga->columnWidth(3), SharedColumnWidth(m_w->sga->width(), 6));
            QCOMPARE(m_w->sgb->columnWidth(0), SharedColumnWidth(m_w->sgb->width(), 6));
        });
    }

    // Both tabs share the width of the grid shown, from the first showing on and after a tab change;
    // the headings stay above the rows, and the user can drag the columns wider.
    void columnsReadableOnBothTabs_data()
    {
        QTest::addColumn<QSize>("resizeTo"); // none when empty
        QTest::addColumn<int>("tab");
        QTest::newRow("first showing") << QSize() << 0;
        QTest::newRow("other tab") << QSize() << 1;
        QTest::newRow("resized, other tab") << QSize(900, 420) << 1;
        QTest::newRow("smallest size") << QSize(1, 1) << 0;
    }
    void columnsReadableOnBothTabs()
    {
        QFETCH(QSize, resizeTo);
        QFETCH(int, tab);
        open([&] {
            if (resizeTo.isValid())
                m_w->resize(resizeTo);
            m_w->TabbedNotebook1->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            const int expected = SharedColumnWidth(m_w->TabbedNotebook1->currentWidget()->width(), 6);
            QVERIFY(expected >= 70);
            for (PdoGrid* grid : {m_w->sga, m_w->sgb}) {
                for (int c = 0; c < 6; ++c)
                    QCOMPARE(grid->columnWidth(c), expected);
                // Every heading whole, not cut short.
                for (int c = 0; c < 6; ++c)
                    QVERIFY(grid->columnWidth(c) >= grid->horizontalHeader()->sectionSizeHint(c));
                QVERIFY(!grid->horizontalHeader()->isHidden());
                QCOMPARE(grid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
            }
        });
    }

    void sharedColumnWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("expected");
        QTest::newRow("exact") << 600 << 95;
        QTest::newRow("rounds down") << 602 << 95;
        QTest::newRow("half to even, down") << 603 << 95; // 100.5 -> 100
        QTest::newRow("half to even, up") << 609 << 97;   // 101.5 -> 102
        QTest::newRow("rounds up") << 604 << 96;
    }
    void sharedColumnWidth()
    {
        QFETCH(int, width);
        QFETCH(int, expected);
        QCOMPARE(SharedColumnWidth(width, 6), expected);
    }

    void undoAndRedoReachTheLoadedAndTheEditedGrids_data() { test::addUndoRows(); }
    void undoAndRedoReachTheLoadedAndTheEditedGrids()
    {
        const auto saved = [this](const QString& pressed, bool edit) {
            init(); // a new window over a new document
            writeFile(docFile(), "<rpdodef>" + row(1, 2) + row(2, 3) + "</rpdodef>");
            m_f.r.dialogs.fileAnswers = {QStringLiteral(VELMARO_TEST_DATA "/canopen/pdo_openpyxl.xlsx")};
            open([&] {
                if (edit) {
                    m_w->bitbtn4->click();
                    m_w->sga->setCurrentCell(2, 2);
                    m_w->sga->editItem(m_w->sga->item(2, 2));
                    QWidget* editor = m_w->sga->indexWidget(m_w->sga->model()->index(2, 2));
                    QTest::keyClicks(editor, QStringLiteral("typed"));
                    QTest::keyClick(editor, Qt::Key_Return);
                    QCoreApplication::processEvents();
                    QApplication::clipboard()->setText(QStringLiteral("7\t8\n9\t10"));
                    m_w->sgb->setCurrentCell(1, 1);
                    QTest::keyClick(m_w->sgb, Qt::Key_V, Qt::ControlModifier);
                    QCoreApplication::processEvents();
                    m_w->sga->setCurrentCell(1, 3);
                    QTest::keyClick(m_w->sga, Qt::Key_Delete);
                    QCoreApplication::processEvents();
                }
                test::pressUndoKeys(m_w->sga, pressed);
                m_w->bitbtn1->click();
            });
            return readFile(docFile());
        };
        test::checkUndoRow(saved);
    }
};

QTEST_MAIN(TestPdoWindow)
#include "tst_pdo_window.moc"
