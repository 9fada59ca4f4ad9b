#include "canopen/UInfoPdo.h"
#include "canopen/UWemcy.h"
#include "canopen/Uemcy.h"
#include "canopen/Updo.h"
#include "mapping/USetVar.h"
#include "settings/Upargen.h"
#include "support/WindowFixture.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QWindow>

#include <functional>
#include <memory>

using namespace velmaro;

namespace {

using MakeEditor = std::function<QDialog*(AppContext&)>;

// The text of a line edit, or of cell (1, 1) of a grid: what the user typed and a showing resets.
QString typed(QDialog& w, const QString& control)
{
    if (auto* edit = w.findChild<QLineEdit*>(control))
        return edit->text();
    auto* grid = w.findChild<QTableView*>(control);
    return grid ? grid->model()->index(1, 1).data().toString() : QStringLiteral("<no such control>");
}

void type(QDialog& w, const QString& control)
{
    if (auto* edit = w.findChild<QLineEdit*>(control))
        edit->setText(QStringLiteral("42"));
    else if (auto* grid = w.findChild<QTableView*>(control))
        grid->model()->setData(grid->model()->index(1, 1), QStringLiteral("42"));
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

template <typename T>
MakeEditor make()
{
    return [](AppContext& c) { return new T(c); };
}

} // namespace

Q_DECLARE_METATYPE(MakeEditor)

class TestEditorRestore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void restoreKeepsUnsavedEdits_data()
    {
        QTest::addColumn<MakeEditor>("editor");
        QTest::addColumn<QString>("control");
        QTest::newRow("SET COMMUNICATION") << make<TFpargen>() << "E_Pro_ID";
        QTest::newRow("mapping editor") << make<TFSetVar>() << "sga";
        QTest::newRow("PDO translation") << make<TFpdo>() << "sga";
        QTest::newRow("stored PDO") << make<TFInfopdo>() << "EindexA";
        QTest::newRow("EMCY translation") << make<TFemcy>() << "Eid_devA";
        QTest::newRow("EMCY word") << make<TFWemcy>() << "Eindex_addrmA";
    }
    void restoreKeepsUnsavedEdits()
    {
        QFETCH(MakeEditor, editor);
        QFETCH(QString, control);
        test::WindowFixture f;
        test::Recorders& r = f.r;
        const std::unique_ptr<QDialog> w(editor(r.context));
        SpontaneousShows shows;
        w->installEventFilter(&shows);

        w->show();
        const QString loaded = typed(*w, control);
        type(*w, control);
        QCOMPARE(typed(*w, control), QStringLiteral("42"));
        const QStringList boxes = r.messages.all;

        setState(*w, Qt::WindowMinimized);
        QVERIFY(w->isMinimized());
        setState(*w, Qt::WindowNoState);
        QCOMPARE(shows.count, 1);
        QCOMPARE(typed(*w, control), QStringLiteral("42"));
        QCOMPARE(r.messages.all, boxes); // nothing was loaded again

        // A real showing still starts from the document.
        w->hide();
        w->show();
        QCOMPARE(typed(*w, control), loaded);
    }
};

QTEST_MAIN(TestEditorRestore)
#include "tst_editorrestore.moc"
