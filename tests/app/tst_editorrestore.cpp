#include "canopen/UInfoPdo.h"
#include "canopen/UWemcy.h"
#include "canopen/Uemcy.h"
#include "canopen/Updo.h"
#include "mapping/USetVar.h"
#include "settings/Upargen.h"
#include "support/Recorders.h"
#include "support/TestProject.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>

#include <functional>
#include <memory>

using namespace velmaro;

namespace {

// One editor: how to make it, an unsaved edit, and what the edit shows.
struct Editor
{
    std::function<QDialog*(AppContext&)> make;
    std::function<void(QDialog&)> edit;
    std::function<QString(QDialog&)> probe;
};

template <typename T>
T* child(QDialog& w, const char* name)
{
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// Counts the show events the window gets from the window system.
struct SpontaneousShows : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show && e->spontaneous())
            ++count;
        return false;
    }
};

// Changes the window's state as the platform reports a minimise or a restore.
void setState(QDialog& w, Qt::WindowState state)
{
    w.windowHandle()->setWindowStates(state);
    QCoreApplication::processEvents();
}

} // namespace

Q_DECLARE_METATYPE(Editor)

class TestEditorRestore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void restoreKeepsUnsavedEdits_data()
    {
        QTest::addColumn<Editor>("editor");
        const auto lineEdit = [](const char* name) {
            return Editor{{},
                          [name](QDialog& w) { child<QLineEdit>(w, name)->setText(QStringLiteral("42")); },
                          [name](QDialog& w) { return child<QLineEdit>(w, name)->text(); }};
        };
        Editor pargen = lineEdit("E_Pro_ID");
        pargen.make = [](AppContext& c) { return new TFpargen(c); };
        QTest::newRow("SET COMMUNICATION") << pargen;

        const auto gridCell = [](const char* grid, int row, int column) {
            return Editor{
                {},
                [=](QDialog& w) {
                    QAbstractItemModel* m = child<QTableView>(w, grid)->model();
                    m->setData(m->index(row, column), QStringLiteral("7"));
                },
                [=](QDialog& w) {
                    return child<QTableView>(w, grid)->model()->index(row, column).data().toString();
                }};
        };
        Editor mapping = gridCell("sga", 0, 1);
        mapping.make = [](AppContext& c) { return new TFSetVar(c); };
        QTest::newRow("mapping editor") << mapping;
        Editor pdo = gridCell("sga", 1, 1);
        pdo.make = [](AppContext& c) { return new TFpdo(c); };
        QTest::newRow("PDO translation") << pdo;

        Editor stored = lineEdit("EindexA");
        stored.make = [](AppContext& c) { return new TFInfopdo(c); };
        QTest::newRow("stored PDO") << stored;

        QTest::newRow("EMCY translation")
            << Editor{[](AppContext& c) { return new TFemcy(c); },
                      [](QDialog& w) { child<QPushButton>(w, "NewA")->click(); },
                      [](QDialog& w) { return QString::number(child<QListWidget>(w, "LBCanA")->count()); }};

        QTest::newRow("EMCY word") << Editor{
            [](AppContext& c) { return new TFWemcy(c); },
            [](QDialog& w) {
                for (const char* name : {"Eindex_addrmA", "EsubindexA", "EdevidA"})
                    child<QLineEdit>(w, name)->setText(QStringLiteral("1"));
                child<QPushButton>(w, "newA")->click();
            },
            [](QDialog& w) { return QString::number(child<QTreeWidget>(w, "TWCanA")->topLevelItemCount()); }};
    }
    void restoreKeepsUnsavedEdits()
    {
        QFETCH(Editor, editor);
        QTemporaryDir dir;
        test::Recorders r;
        test::UseProjectDir(r.paths, dir.path());
        const std::unique_ptr<QDialog> w(editor.make(r.context));
        SpontaneousShows shows;
        w->installEventFilter(&shows);

        w->show();
        const QString loaded = editor.probe(*w);
        editor.edit(*w);
        const QString edited = editor.probe(*w);
        QVERIFY(edited != loaded);
        const QStringList boxes = r.messages.all;

        setState(*w, Qt::WindowMinimized);
        QVERIFY(w->isMinimized());
        setState(*w, Qt::WindowNoState);
        QCOMPARE(shows.count, 1);
        QCOMPARE(editor.probe(*w), edited);
        QCOMPARE(r.messages.all, boxes); // nothing was loaded again

        // A real showing still starts from the document.
        w->hide();
        w->show();
        QCOMPARE(editor.probe(*w), loaded);
    }
};

QTEST_MAIN(TestEditorRestore)
#include "tst_editorrestore.moc"
