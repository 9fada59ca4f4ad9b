#pragma once

#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"

class QWidget;

namespace velmaro {

// The real, Widgets-based answers of a person.
class QtMessageBoxes : public IMessageBoxes
{
public:
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool askYesNo(const QString& text) override;
};

class QtFileDialogs : public IFileDialogs
{
public:
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    bool browseForFolder(const QString& title, const QString& root, QString& dir) override;
};

class QtShell : public IShell
{
public:
    void openAddress(const QString& address) override;
};

class QtModalRunner : public IModalRunner
{
public:
    int exec(QDialog& dialog) override;
};

} // namespace velmaro
