#include "platform/QtDialogs.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

using namespace velmaro;

namespace {

QString pathOf(const QModelIndex& index)
{
    const auto* proxy = static_cast<const QAbstractProxyModel*>(index.model());
    const auto* model = static_cast<const QFileSystemModel*>(proxy->sourceModel());
    return QDir::cleanPath(model->filePath(proxy->mapToSource(index)));
}

// Acts on the folder picker once it is open, then presses OK or Cancel.
void whenPickerOpens(std::function<void(QTreeView&)> act, bool ok)
{
    QTimer::singleShot(0, [act, ok] {
        QWidget* picker = QApplication::activeModalWidget();
        QVERIFY(picker);
        auto* tree = picker->findChild<QTreeView*>();
        QVERIFY(tree);
        act(*tree);
        auto* buttons = picker->findChild<QDialogButtonBox*>();
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
}

} // namespace

class TestQtDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // "\" form, as the workspace passes it

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("PROJECTS/A/B")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("PROJECTS/C")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("MASTER")));
        m_root = m_dir.path() + QStringLiteral("\\PROJECTS");
    }

    void folderPickerShowsInitialSelection_data()
    {
        QTest::addColumn<QString>("initial");  // below the root, "\" form
        QTest::addColumn<QString>("selected"); // below the root, native
        QTest::newRow("nested folder") << "\\A\\B"
                                       << "/A/B";
        QTest::newRow("no initial selection: the root") << "<empty>"
                                                        << "";
    }
    void folderPickerShowsInitialSelection()
    {
        QFETCH(QString, initial);
        QFETCH(QString, selected);
        const QString nativeRoot = m_dir.filePath(QStringLiteral("PROJECTS"));
        QString seen;
        whenPickerOpens([&](QTreeView& tree) { seen = pathOf(tree.currentIndex()); }, true);
        QtFileDialogs dialogs;
        QString dir = initial == QLatin1String("<empty>") ? QString() : m_root + initial;
        QVERIFY(dialogs.browseForFolder(QStringLiteral("Select directory of project"), m_root, dir));
        QCOMPARE(seen, nativeRoot + selected);
        QCOMPARE(dir, nativeRoot + selected);
    }

    void folderPickerOffersNothingAboveTheRoot()
    {
        QStringList topLevel;
        bool masterReachable = true;
        whenPickerOpens(
            [&](QTreeView& tree) {
                const QModelIndex top = tree.rootIndex();
                for (int row = 0; row < tree.model()->rowCount(top); ++row)
                    topLevel << pathOf(tree.model()->index(row, 0, top));
                const auto* proxy = static_cast<const QAbstractProxyModel*>(tree.model());
                const auto* model = static_cast<const QFileSystemModel*>(proxy->sourceModel());
                masterReachable =
                    proxy->mapFromSource(model->index(m_dir.filePath(QStringLiteral("MASTER")))).isValid();
            },
            false);
        QtFileDialogs dialogs;
        QString dir = m_root + QStringLiteral("\\C");
        QVERIFY(!dialogs.browseForFolder(QStringLiteral("t"), m_root, dir));
        QCOMPARE(dir, m_root + QStringLiteral("\\C"));
        QCOMPARE(topLevel, QStringList{m_dir.filePath(QStringLiteral("PROJECTS"))});
        QVERIFY(!masterReachable);
    }
};

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
