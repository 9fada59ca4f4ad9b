#include "canopen/EmcyWordDocument.h"
#include "canopen/UWemcy.h"
#include "support/TestFiles.h"
#include "support/UndoKeys.h"
#include "support/WindowFixture.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace velmaro;
using namespace velmaro::emcyword;

namespace {

QString rowXml(const QString& index, const char* extdata, const QString& bit3poscomp)
{
    QString xml = QStringLiteral("<row");
    for (const QString& name : EmcyWordDocument::definition().AttributeNames) {
        QString value = QStringLiteral("1");
        if (name == QLatin1String("index_addrm"))
            value = index;
        else if (name == QLatin1String("extdata"))
            value = QLatin1String(extdata);
        else if (name == QLatin1String("bit3_poscomp"))
            value = bit3poscomp;
        else if (name == QLatin1String("bit3_b0"))
            value = QStringLiteral("0xF0");
        xml += QStringLiteral(" %1=\"%2\"").arg(name, value);
    }
    return xml + QStringLiteral("/>");
}

void select(QTreeWidget* tree, int word, int bit = -1)
{
    QTreeWidgetItem* item = tree->topLevelItem(word);
    if (bit >= 0)
        item = item->child(bit);
    tree->clearSelection();
    item->setSelected(true);
}

// The controls of one page, found by their object names.
struct Page
{
    QTreeWidget* tree;
    QGroupBox* wordGroup;
    QGroupBox* bitGroup;
    QLineEdit* index;
    QLineEdit* subindex;
    QLineEdit* devid;
    QLineEdit* b0;
    QLineEdit* b1;
    QLineEdit* pos1;
    QLineEdit* pos2;
    QPushButton* deleteButton;
    QPushButton* newButton;
    QPushButton* modifyButton;
};

Page pageOf(const TFWemcy& w, Side side)
{
    const QString s = side == Side::A ? QStringLiteral("A") : QStringLiteral("B");
    const auto edit = [&](const QString& name) { return test::Control<QLineEdit>(w, name + s); };
    const auto button = [&](const QString& name) { return test::Control<QPushButton>(w, name + s); };
    return Page{test::Control<QTreeWidget>(w, QStringLiteral("TWCan") + s),
                test::Control<QGroupBox>(w, QStringLiteral("GBword_emcy_bitmap") + s),
                test::Control<QGroupBox>(w, QStringLiteral("Gbebm") + s),
                edit(QStringLiteral("Eindex_addrm")),
                edit(QStringLiteral("Esubindex")),
                edit(QStringLiteral("Edevid")),
                edit(QStringLiteral("Eb0")),
                edit(QStringLiteral("Eb1")),
                edit(QStringLiteral("Eposcomp")),
                test::Control<QLineEdit>(w, QStringLiteral("Eposcomp") + s + QStringLiteral("2")),
                button(QStringLiteral("delete")),
                button(QStringLiteral("new")),
                button(QStringLiteral("modify"))};
}

} // namespace

class TestEmcyWordWindow : public QObject
{
    Q_OBJECT
private:
    test::WindowFixture m_f;
    TFWemcy* m_window = nullptr;
    Page page(Side side) const { return pageOf(*m_window, side); }

    void writeDocument(const QString& body)
    {
        QFile f(m_f.file(QStringLiteral("emcyword.xml")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write((QStringLiteral("<emcyword>") + body + QStringLiteral("</emcyword>")).toUtf8());
    }

private Q_SLOTS:
    void init()
    {
        m_f.reset();
        m_window = new TFWemcy(m_f.r.context);
    }
    void cleanup()
    {
        delete m_window;
        QFile::remove(m_f.file(QStringLiteral("emcyword.xml")));
    }

    void showsWordsAndBits()
    {
        writeDocument(rowXml("1", "0", "0") + rowXml("2", "0", "37") + rowXml("3", "1", "0")
                      + rowXml("4", "2", "0"));
        m_window->show();
        QVERIFY(m_f.r.messages.all.isEmpty());
        QTreeWidget* a = page(Side::A).tree;
        QCOMPARE(a->topLevelItemCount(), 2);
        QCOMPARE(a->topLevelItem(1)->text(0), QStringLiteral("W1"));
        QCOMPARE(a->topLevelItem(1)->childCount(), 16);
        QCOMPARE(a->topLevelItem(1)->child(15)->text(0), QStringLiteral("Bit15"));
        QCOMPARE(page(Side::B).tree->topLevelItem(0)->text(0), QStringLiteral("W0"));
        QCOMPARE(m_window->SelectedNodeIndex(Side::A), -1);
        QCOMPARE(page(Side::A).wordGroup->title(), QStringLiteral("Word n°  Emcy Define"));

        select(a, 1, 3);
        QCOMPARE(m_window->SelectedNodeIndex(Side::A), 17 + 4);
        QCOMPARE(page(Side::A).index->text(), QStringLiteral("2"));
        QCOMPARE(page(Side::A).b0->text(), QStringLiteral("0xF0"));
        QCOMPARE(page(Side::A).pos1->text(), QStringLiteral("2"));
        QCOMPARE(page(Side::A).pos2->text(), QStringLiteral("5"));
        QCOMPARE(page(Side::B).wordGroup->title(), QStringLiteral("Word n°1 Emcy Define "));
        QCOMPARE(page(Side::A).bitGroup->title(), QStringLiteral("Mask BIT n°3 Define"));
    }

    void modifiesBitPositions()
    {
        writeDocument(rowXml("1", "1", "0"));
        m_window->show();
        QTreeWidget* b = page(Side::B).tree;
        select(b, 0, 0);
        page(Side::B).pos1->setText(QStringLiteral("1"));
        page(Side::B).pos2->setText(QStringLiteral("17"));
        page(Side::B).modifyButton->click();
        QCOMPARE(m_window->table().side(Side::B).words.at(0).bits[0].poscomp, QStringLiteral("33"));
        select(b, 0, 1);
        select(b, 0, 0);
        QCOMPARE(page(Side::B).pos1->text(), QStringLiteral("2"));
        QCOMPARE(page(Side::B).pos2->text(), QStringLiteral("1"));
    }

    void newDeleteAndNumbers()
    {
        m_window->show();
        QCOMPARE(m_f.r.messages.messages, QStringList{"File XML not found"});
        const Page p = page(Side::A);
        p.subindex->setText(QStringLiteral("1"));
        p.devid->setText(QStringLiteral("5"));
        for (const char* index : {"1", "2", "3"}) {
            p.index->setText(QLatin1String(index));
            p.newButton->click();
        }
        select(p.tree, 1, 2);
        p.deleteButton->click(); // a bit node: nothing
        QCOMPARE(p.tree->topLevelItemCount(), 3);
        select(p.tree, 1);
        p.deleteButton->click();
        QCOMPARE(p.tree->topLevelItemCount(), 2);
        p.index->setText(QStringLiteral("4"));
        p.newButton->click();
        QCOMPARE(p.tree->topLevelItem(2)->text(0), QStringLiteral("W3"));
        select(p.tree, 2);
        QCOMPARE(p.wordGroup->title(), QStringLiteral("Word n°2 Emcy Define "));

        m_f.r.messages.clear();
        p.newButton->click(); // the same key again
        p.subindex->clear();
        p.newButton->click();
        QCOMPARE(m_f.r.messages.messages, (QStringList{"Index Not Valid", "Index Not Valid"}));
        QCOMPARE(p.tree->topLevelItemCount(), 3);
    }

    void undefinedBitReportsConversion()
    {
        m_window->show();
        const Page p = page(Side::B);
        p.index->setText(QStringLiteral("1"));
        p.subindex->setText(QStringLiteral("1"));
        p.devid->setText(QStringLiteral("1"));
        p.newButton->click();
        p.pos1->setText(QStringLiteral("kept"));
        m_f.r.messages.clear();
        select(p.tree, 0, 4);
        QCOMPARE(m_f.r.messages.errors, QStringList{"'' is not a valid integer value"});
        QCOMPARE(p.pos1->text(), QStringLiteral("kept"));
    }

    void okSavesAndCancelDiscards()
    {
        m_window->show();
        const Page p = page(Side::A);
        p.index->setText(QStringLiteral("0x2000"));
        p.subindex->setText(QStringLiteral("1"));
        p.devid->setText(QStringLiteral("x"));
        p.newButton->click();
        m_window->bitbtn1->click(); // "x" is no integer: refused, window open
        QCOMPARE(m_f.r.messages.errors, QStringList{"'x' is not a valid integer value"});
        QVERIFY(m_window->isVisible());
        QVERIFY(!QFile::exists(m_f.file(QStringLiteral("emcyword.xml"))));

        select(p.tree, 0);
        p.devid->setText(QStringLiteral("5"));
        p.modifyButton->click();
        m_window->bitbtn1->click();
        QCOMPARE(m_window->result(), int(QDialog::Accepted));
        QVERIFY(QFile::exists(m_f.file(QStringLiteral("emcyword.xml"))));

        m_window->show();
        QCOMPARE(page(Side::A).tree->topLevelItemCount(), 1);
        page(Side::A).newButton->click();
        m_window->bitbtn2->click();
        m_window->show();
        QCOMPARE(page(Side::A).tree->topLevelItemCount(), 1);
    }

    void importWithoutWorksheetEmpties()
    {
        writeDocument(rowXml("1", "0", "0"));
        m_window->show();
        m_f.r.dialogs.fileAnswers.push_back(
            QStringLiteral(VELMARO_TEST_DATA "/canopen/emcyword/emcyword_nosheet.xlsx"));
        m_window->bitbtn4->click();
        QCOMPARE(page(Side::A).tree->topLevelItemCount(), 0);
        QCOMPARE(page(Side::B).tree->topLevelItemCount(), 0);
        QCOMPARE(m_f.r.dialogs.fileRequests.at(0).initialDir, m_f.r.paths.ProjectDir);
        m_f.r.dialogs.fileAnswers.push_back(
            QStringLiteral(VELMARO_TEST_DATA "/canopen/emcyword/emcyword.xlsx"));
        m_window->bitbtn4->click();
        QCOMPARE(page(Side::A).tree->topLevelItemCount(), 2);
        QCOMPARE(m_window->SelectedNodeIndex(Side::A), -1);
    }

    void enterInAnEditPressesNothing()
    {
        m_window->show();
        const Page p = page(Side::A);
        p.index->setText(QStringLiteral("1"));
        p.subindex->setText(QStringLiteral("1"));
        p.devid->setText(QStringLiteral("1"));
        p.index->setFocus();
        QTest::keyClick(p.index, Qt::Key_Return);
        QVERIFY(m_window->isVisible());
        QCOMPARE(p.tree->topLevelItemCount(), 0);
        QVERIFY(!QFile::exists(m_f.file(QStringLiteral("emcyword.xml"))));
    }

    void imageStrip()
    {
        QCOMPARE(m_window->Large.size(), 6);
        QCOMPARE(m_window->Large.at(0).size(), QSize(16, 16));
        // Olive corners are transparent.
        QCOMPARE(m_window->Large.at(2).toImage().pixelColor(0, 0).alpha(), 0);
    }

    void undoAndRedoReachTheLoadedAndTheEditedWords_data() { test::addUndoRows(); }
    void undoAndRedoReachTheLoadedAndTheEditedWords()
    {
        const auto saved = [this](const QString& pressed, bool edit) {
            writeDocument(rowXml("1", "0", "0") + rowXml("2", "1", "37"));
            TFWemcy w(m_f.r.context);
            w.show();
            const Page a = pageOf(w, Side::A);
            if (edit) {
                m_f.r.dialogs.fileAnswers.push_back(
                    QStringLiteral(VELMARO_TEST_DATA "/canopen/emcyword/emcyword.xlsx"));
                w.bitbtn4->click();
                a.index->setText(QStringLiteral("0x3000"));
                a.subindex->setText(QStringLiteral("1"));
                a.devid->setText(QStringLiteral("9"));
                a.newButton->click();
                select(a.tree, 0);
                a.devid->setText(QStringLiteral("8"));
                a.modifyButton->click();
                select(a.tree, 1);
                a.deleteButton->click();
            }
            test::pressUndoKeys(a.tree, pressed);
            w.bitbtn1->click();
            return test::readFile(m_f.file(QStringLiteral("emcyword.xml")));
        };
        test::checkUndoRow(saved);
    }
};

QTEST_MAIN(TestEmcyWordWindow)
#include "tst_emcywordwindow.moc"
