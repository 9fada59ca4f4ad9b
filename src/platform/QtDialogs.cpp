#include "platform/QtDialogs.h"

#include "platform/FileSystem.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace velmaro {

namespace {

QWidget* owner()
{
    return QApplication::activeWindow();
}

// "Desc (*.a)|*.a|Desc2 (*.b)|*.b" -> "Desc (*.a);;Desc2 (*.b)"
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(
            parts.at(i).section(QLatin1String(" ("), 0, 0),
            QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return out.join(QLatin1String(";;"));
}

// Shows only the root folder and what lies below it (and the chain of folders leading to it, which
// stays above the view's root and is never shown).
class BelowRootFilter : public QSortFilterProxyModel
{
public:
    explicit BelowRootFilter(const QString& root, QObject* parent)
        : QSortFilterProxyModel(parent), m_root(root)
    {
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* model = static_cast<const QFileSystemModel*>(sourceModel());
        const QString path = QDir::cleanPath(model->filePath(model->index(row, 0, parent)));
        if (path == m_root || path.startsWith(m_root + QLatin1Char('/')))
            return true;
        return path == QLatin1String("/") || m_root.startsWith(path + QLatin1Char('/'));
    }

private:
    QString m_root;
};

// The browse-for-folder dialog: the title above a folder tree whose top is `root`, so that nothing above
// it can be chosen; `initial`, when not empty, is selected and scrolled into view.
class FolderPicker : public QDialog
{
public:
    FolderPicker(QWidget* owner, const QString& title, const QString& root, const QString& initial)
        : QDialog(owner), m_root(root)
    {
        setWindowTitle(title);
        m_model = new QFileSystemModel(this);
        m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
        m_model->setReadOnly(true);
        m_model->setRootPath(root);
        m_filter = new BelowRootFilter(root, this);
        m_filter->setSourceModel(m_model);

        m_tree = new QTreeView(this);
        m_tree->setModel(m_filter);
        m_tree->setHeaderHidden(true);
        for (int column = 1; column < m_model->columnCount(); ++column)
            m_tree->hideColumn(column);
        m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
        const QString above = QFileInfo(root).absolutePath();
        if (above != root)
            m_tree->setRootIndex(m_filter->mapFromSource(m_model->index(above)));
        m_tree->setExpanded(toView(root), true);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(title, this));
        layout->addWidget(m_tree);
        layout->addWidget(buttons);
        resize(420, 440);

        // Without an initial selection the root itself is selected, as the top of the tree.
        const QString wanted = initial.isEmpty() ? root : QDir::cleanPath(initial);
        select(wanted);
        {
            // Folders are read in the background: scroll again once the folder's siblings are listed.
            connect(m_model, &QFileSystemModel::directoryLoaded, this, [this, wanted](const QString& loaded) {
                if (QDir::cleanPath(loaded) == QFileInfo(wanted).absolutePath()
                    && m_tree->currentIndex() == toView(wanted))
                    m_tree->scrollTo(m_tree->currentIndex());
            });
        }
    }

    // The chosen folder in native form; empty when nothing below the root is selected.
    QString chosen() const
    {
        const QString path =
            QDir::cleanPath(m_model->filePath(m_filter->mapToSource(m_tree->currentIndex())));
        if (path == m_root || path.startsWith(m_root + QLatin1Char('/')))
            return path;
        return {};
    }

private:
    QModelIndex toView(const QString& path) const { return m_filter->mapFromSource(m_model->index(path)); }

    void select(const QString& path)
    {
        const QModelIndex index = toView(path);
        if (!index.isValid())
            return;
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            m_tree->setExpanded(up, true);
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }

    QString m_root;
    QFileSystemModel* m_model = nullptr;
    BelowRootFilter* m_filter = nullptr;
    QTreeView* m_tree = nullptr;
};

} // namespace

void QtMessageBoxes::showMessage(const QString& text)
{
    // What the program tells a person carries the information icon.
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok,
                    owner());
    box.exec();
}

void QtMessageBoxes::showError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, owner());
    box.exec();
}

bool QtMessageBoxes::askYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtFileDialogs::saveFile(const FileDialogRequest& r)
{
    QFileDialog dialog(owner(), r.title, NativePath(r.initialDir), qtFilter(r.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // An existing file is replaced without asking (the GSD file is regenerated over and over).
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(r.defaultExt);
    if (!r.initialName.isEmpty())
        dialog.selectFile(r.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtFileDialogs::openFile(const FileDialogRequest& r)
{
    QFileDialog dialog(owner(), r.title, NativePath(r.initialDir), qtFilter(r.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool QtFileDialogs::browseForFolder(const QString& title, const QString& root, QString& dir)
{
    const QString nativeRoot = QDir::cleanPath(NativePath(root));
    FolderPicker picker(owner(), title, nativeRoot, dir.isEmpty() ? QString() : NativePath(dir));
    picker.setWindowModality(Qt::ApplicationModal);
    if (picker.exec() != QDialog::Accepted)
        return false;
    const QString chosen = picker.chosen();
    if (chosen.isEmpty())
        return false; // OK without a selection chooses nothing
    dir = chosen;
    return true;
}

void QtShell::openAddress(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}

int QtModalRunner::exec(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace velmaro
