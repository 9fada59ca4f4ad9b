#include "mapping/ByteMapView.h"
#include "mapping/MappingGrid.h"
#include "mapping/USetVar.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace velmaro;

namespace {

void type(QTableView* grid, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c)
        grid->model()->setData(grid->model()->index(row, c + 1), cells[c]);
}

QString cell(QTableView* grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}

} // namespace

// The byte maps of the mapping editor: they follow the grids, lead to a row, and Pack rewrites addresses.
class TestByteMapWindow : public QObject
{
    Q_OBJECT
private:
    test::WindowFixture m_f;
    TFSetVar* m_w = nullptr;

    int open(const std::function<void()>& act) { return m_f.r.openModal(*m_w, act); }

private Q_SLOTS:
    void init()
    {
        m_f.reset();
        test::writeFile(m_f.file(QStringLiteral("pargen.xml")),
                        "<Par_Gen><Profi_NB_IN>8</Profi_NB_IN><Profi_NB_OUT>6</Profi_NB_OUT></Par_Gen>");
        m_f.r.messages.answers.clear();
        delete m_w;
        m_w = new TFSetVar(m_f.r.context);
    }
    void cleanupTestCase() { delete m_w; }

    void mapFollowsEditsAndLeadsToRow()
    {
        open([&] {
            type(m_w->sga, 0, {"1", "Holding Register", "0", "2", "0"});
            type(m_w->sga, 1, {"2", "Input Register", "5", "2", "2"});
            QCOMPARE(m_w->bmA->map().bytes.at(2), ByteUse::Collision);
            QCOMPARE(m_w->LMapA->text(), QStringLiteral("1 collision, 0 rows beyond 8 bytes, 2 bytes free"));
            QVERIFY(m_w->bmA->byteToolTip(3).contains(QStringLiteral("row 2 (slave 2, register 5)")));

            type(m_w->sga, 1, {"2", "Input Register", "5", "3", "4"});
            QCOMPARE(m_w->LMapA->text(), QStringLiteral("0 collisions, 1 row beyond 8 bytes, 0 bytes free"));
            QCOMPARE(m_w->bmA->map().bytes.at(9), ByteUse::Beyond);

            QTest::mouseClick(m_w->bmA, Qt::LeftButton, {}, m_w->bmA->cellCenter(5));
            QCOMPARE(m_w->sga->currentIndex().row(), 1);
            QTest::mouseClick(m_w->bmA, Qt::LeftButton, {}, m_w->bmA->cellCenter(1));
            QCOMPARE(m_w->sga->currentIndex().row(), 0);
            m_w->bitbtn2->click();
        });
        QVERIFY(m_f.r.messages.all.isEmpty());
    }

    void pack_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("points"); // of the second row
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("yes, room") << true << 1 << QStringList{"0", "2"} << QStringList{};
        QTest::newRow("yes, no room")
            << true << 3 << QStringList{"0", "2"}
            << QStringList{
                   "The packed rows of \"Serial Write --> ProfiBus OUT\" fill 8 bytes; the data length is "
                   "6 bytes."};
        QTest::newRow("no") << false << 1 << QStringList{"4", "0"} << QStringList{};
    }
    void pack()
    {
        QFETCH(bool, yes);
        QFETCH(int, points);
        QFETCH(QStringList, addresses);
        QFETCH(QStringList, messages);

        m_f.r.messages.answers = {yes};
        open([&] {
            type(m_w->sgb, 0, {"1", "7", "1", "4", "first"});
            type(m_w->sgb, 1, {"2", "8", QString::number(points), "0", "second"});
            type(m_w->sgb, 3, {"3", "9", "1", "40", "after the gap"});
            m_w->btnPackB->click();
            QCOMPARE((QStringList{cell(m_w->sgb, 0, 4), cell(m_w->sgb, 1, 4)}), addresses);
            QCOMPARE(cell(m_w->sgb, 1, 5), QStringLiteral("second"));
            QCOMPARE(cell(m_w->sgb, 3, 4), QStringLiteral("40"));
            QCOMPARE(m_w->bmB->map().rows.constLast().first, addresses.constLast().toLongLong());
            m_w->bitbtn2->click();
        });
        QCOMPARE(m_f.r.messages.questions.size(), 1);
        QCOMPARE(m_f.r.messages.messages, messages);
    }
};

QTEST_MAIN(TestByteMapWindow)
#include "tst_bytemapwindow.moc"
