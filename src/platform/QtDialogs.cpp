#include "platform/QtDialogs.h"

#include "platform/FileSystem.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

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
        out << QStringLiteral("%1 (%2)").arg(parts.at(i).section(QLatin1String(" ("), 0, 0),
                                             QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return out.join(QLatin1String(";;"));
}

} // namespace

void QtMessageBoxes::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, owner());
    box.exec();
}

void QtMessageBoxes::showError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, owner());
    box.exec();
}

std::optional<QString> QtFileDialogs::saveFile(const FileDialogRequest& r)
{
    QFileDialog dialog(owner(), r.title, NativePath(r.initialDir), qtFilter(r.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(r.defaultExt);
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
    QFileDialog dialog(owner(), title, NativePath(dir.isEmpty() ? root : dir));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    dir = dialog.selectedFiles().constFirst();
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
