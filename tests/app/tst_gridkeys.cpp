#include "canopen/Updo.h"
#include "mapping/USetVar.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <functional>
#include <memory>

using namespace velmaro;

namespace {

using MakeEditor = std::function<QDialog*(AppContext&)>;

template <typename T>
MakeEditor make()
{
    return [](AppContext& c) { return new T(c); };
}

// Every grid of the editors: its window, its name, the first cell a person types in, and the control
// Ctrl+Tab goes to.
void addGridRows()
{
    QTest::addColumn<MakeEditor>("editor");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("next");
    QTest::newRow("mapping IN") << make<TFSetVar>() << "sga" << 0 << 3 << "btnPackA";
    QTest::newRow("mapping OUT") << make<TFSetVar>() << "sgb" << 0 << 1 << "btnPackB";
    QTest::newRow("PDO CanA to CanB") << make<TFpdo>() << "sga" << 1 << 1 << "bitbtn1";
    QTest::newRow("PDO CanB to CanA") << make<TFpdo>() << "sgb" << 1 << 1 << "bitbtn1";
}

struct Window : test::WindowFixture
{
    std::unique_ptr<QDialog> w;
    QTableView* grid = nullptr;

    bool open(const MakeEditor& editor, const QString& name)
    {
        test::UseProjectDir(r.paths, dir.path());
        w.reset(editor(r.context));
        grid = w->findChild<QTableView*>(name);
        if (!grid)
            return false;
        // The page holding the grid is the one shown.
        for (QWidget* child = grid; child->parentWidget(); child = child->parentWidget()) {
            if (auto* stack = qobject_cast<QStackedWidget*>(child->parentWidget()))
                stack->setCurrentWidget(child);
        }
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return false;
        grid->setFocus();
        r.messages.clear(); // what the showing said of the missing document
        return grid->hasFocus();
    }
    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }
    void select(int top, int left, int bottom, int right)
    {
        const QAbstractItemModel* m = grid->model();
        grid->setCurrentIndex(m->index(top, left));
        grid->selectionModel()->select(QItemSelection(m->index(top, left), m->index(bottom, right)),
                                       QItemSelectionModel::ClearAndSelect);
    }
};

bool inside(const QWidget* grid)
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == grid || grid->isAncestorOf(focus));
}

} // namespace

Q_DECLARE_METATYPE(MakeEditor)

class TestGridKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ctrlTabLeavesTheGrid_data() { addGridRows(); }
    void ctrlTabLeavesTheGrid()
    {
        QFETCH(MakeEditor, editor);
        QFETCH(QString, grid);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, next);
        Window w;
        QVERIFY(w.open(editor, grid));
        w.grid->setCurrentIndex(w.grid->model()->index(row, column));
        QTest::keyClick(w.grid, Qt::Key_Tab);
        QVERIFY(inside(w.grid)); // Tab moves from cell to cell
        QTest::keyClick(w.grid, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);

        // Backwards to the page tabs, and from an open cell editor, whose text counts.
        w.grid->setFocus();
        QTest::keyClick(w.grid, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(qobject_cast<QTabBar*>(QApplication::focusWidget()));
        w.grid->setFocus();
        const QModelIndex index = w.grid->model()->index(row, column);
        w.grid->setCurrentIndex(index);
        w.grid->edit(index);
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(edit);
        edit->setText(QStringLiteral("17"));
        QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
        QCOMPARE(w.cell(row, column), QStringLiteral("17"));
    }

    void copyPasteAndDelete_data() { addGridRows(); }
    void copyPasteAndDelete()
    {
        QFETCH(MakeEditor, editor);
        QFETCH(QString, grid);
        QFETCH(int, row);
        QFETCH(int, column);
        Window w;
        QVERIFY(w.open(editor, grid));
        // A block from a spreadsheet: CR LF line ends, a quoted cell holding a tab.
        QApplication::clipboard()->setText(QStringLiteral("1\t\"a\tb\"\r\n3\t4\r\n"));
        w.select(row, column, row, column);
        QTest::keySequence(w.grid, QKeySequence::Paste);
        QCOMPARE(w.cell(row, column), QStringLiteral("1"));
        QCOMPARE(w.cell(row, column + 1), QStringLiteral("a\tb"));
        QCOMPARE(w.cell(row + 1, column), QStringLiteral("3"));
        QCOMPARE(w.cell(row + 1, column + 1), QStringLiteral("4"));
        QCOMPARE(w.cell(row + 2, column), QString());
        QVERIFY(w.grid->hasFocus()); // no cell editor was opened
        QVERIFY(w.r.messages.all.isEmpty());

        // Copied back as a spreadsheet reads it.
        QApplication::clipboard()->clear();
        w.select(row, column, row + 1, column + 1);
        QTest::keySequence(w.grid, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1\t\"a\tb\"\n3\t4\n"));

        // One value fills the selection; Delete empties it.
        QApplication::clipboard()->setText(QStringLiteral("9"));
        QTest::keySequence(w.grid, QKeySequence::Paste);
        QCOMPARE(w.cell(row + 1, column + 1), QStringLiteral("9"));
        w.select(row, column, row, column + 1);
        QTest::keyClick(w.grid, Qt::Key_Delete);
        QCOMPARE(w.cell(row, column), QString());
        QCOMPARE(w.cell(row, column + 1), QString());
        QCOMPARE(w.cell(row + 1, column), QStringLiteral("9"));

        // A block running off the grid changes nothing and says so.
        const int last = w.grid->model()->rowCount() - 1;
        QApplication::clipboard()->setText(QStringLiteral("5\n6\n"));
        w.select(last, column, last, column);
        QTest::keySequence(w.grid, QKeySequence::Paste);
        QCOMPARE(w.cell(last, column), QString());
        QCOMPARE(w.r.messages.errors.size(), 1);
        QVERIFY2(w.r.messages.errors.first().contains(QLatin1String("does not fit")),
                 qPrintable(w.r.messages.errors.first()));
    }

    void pasteChecksLikeTyping_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("stored"); // empty: refused, nothing changed
        QTest::newRow("a register kind") << "Holding Register\tInput Register"
                                         << "Holding Register";
        QTest::newRow("other letter case") << "input register\tholding register"
                                           << "Input Register";
        QTest::newRow("a text the list does not offer") << "Holding Register\tCoil"
                                                        << "";
    }
    void pasteChecksLikeTyping()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        Window w;
        QVERIFY(w.open(make<TFSetVar>(), QStringLiteral("sga")));
        // Type is column 2 of the input table; the block goes down the column.
        QApplication::clipboard()->setText(pasted.replace(QLatin1Char('\t'), QLatin1Char('\n')));
        w.select(0, 2, 0, 2);
        QTest::keySequence(w.grid, QKeySequence::Paste);
        QCOMPARE(w.cell(0, 2), stored);
        QCOMPARE(w.r.messages.errors.size(), stored.isEmpty() ? 1 : 0);
        if (stored.isEmpty())
            QCOMPARE(w.cell(1, 2), QString());
    }
};

QTEST_MAIN(TestGridKeys)
#include "tst_gridkeys.moc"
