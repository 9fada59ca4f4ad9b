#pragma once

// GCC 12 warns falsely about moved-from std::optional<QString>.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "widgets/AppContext.h"

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <optional>

namespace velmaro::test {

// Records every message box instead of showing it.
struct MessageRecorder : IMessageBoxes
{
    QStringList messages; // plain boxes
    QStringList errors;   // error boxes
    QStringList all;      // every box, in order, errors prefixed "Error: ", questions "Question: "
    QStringList questions;
    std::deque<bool> answers; // next answers of askYesNo; No when none is left
    void showMessage(const QString& text) override
    {
        messages << text;
        all << text;
    }
    void showError(const QString& text) override
    {
        errors << text;
        all << QStringLiteral("Error: ") + text;
    }
    bool askYesNo(const QString& text) override
    {
        questions << text;
        all << QStringLiteral("Question: ") + text;
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void clear()
    {
        messages.clear();
        errors.clear();
        questions.clear();
        all.clear();
    }
};

// Answers file and folder pickers from scripted answers; records every request.
struct DialogRecorder : IFileDialogs
{
    std::deque<std::optional<QString>> fileAnswers; // next answers of saveFile/openFile
    std::optional<QString> folderAnswer;            // next browseForFolder answer (nullopt: cancel)
    QList<FileDialogRequest> fileRequests;
    struct FolderRequest
    {
        QString title, root, dir;
    };
    QList<FolderRequest> folderRequests;

    std::optional<QString> next()
    {
        if (fileAnswers.empty())
            return std::nullopt;
        std::optional<QString> answer = std::move(fileAnswers.front());
        fileAnswers.pop_front();
        return answer;
    }
    std::optional<QString> saveFile(const FileDialogRequest& r) override
    {
        fileRequests << r;
        return next();
    }
    std::optional<QString> openFile(const FileDialogRequest& r) override
    {
        fileRequests << r;
        return next();
    }
    bool browseForFolder(const QString& title, const QString& root, QString& dir) override
    {
        folderRequests << FolderRequest{title, root, dir};
        if (!folderAnswer)
            return false;
        dir = *folderAnswer;
        return true;
    }
};

// Instead of a modal loop: records which window was opened, shows it, lets the test act on it
// through `onOpen`, then closes it and returns the result.
struct ModalRecorder : IModalRunner
{
    QStringList opened; // object names
    std::function<int(QDialog&)> onOpen;
    int exec(QDialog& dialog) override
    {
        opened << dialog.objectName();
        dialog.show();
        const int result = onOpen ? onOpen(dialog) : int(QDialog::Rejected);
        dialog.hide();
        return result;
    }
};

// Records every program start instead of running it; `onRun` may act while "waiting" (for example
// call whileWaiting) and `outcome` is what the run returns.
struct ProcessRecorder : IProcessRunner
{
    struct Call
    {
        QString program, parameters;
        bool hidden;
        int limitMs;
        QStringList environment;
    };
    QList<Call> calls;
    ProcessOutcome outcome{ProcessOutcome::Ended, 0}; // a run that went well unless a test says otherwise
    std::function<void(const std::function<void(qint64)>&)> onRun;
    ProcessOutcome runAndWait(const QString& program, const QString& parameters, bool hidden, int limitMs,
                              const std::function<void(qint64)>& whileWaiting,
                              const QStringList& environment) override
    {
        calls << Call{program, parameters, hidden, limitMs, environment};
        if (onRun)
            onRun(whileWaiting);
        return outcome;
    }
};

struct ShellRecorder : IShell
{
    QStringList addresses;
    void openAddress(const QString& address) override { addresses << address; }
};

// A complete context over recorders.
struct Recorders
{
    ProjectPaths paths;
    MessageRecorder messages;
    DialogRecorder dialogs;
    ModalRecorder modal;
    ShellRecorder shell;
    ProcessRecorder processes;
    AppContext context{paths, messages, dialogs, modal, shell, SystemSerialPlatform(), processes};

    // Opens `window` as the main window does and lets `act` work on it; the dialog's result, Rejected
    // while the window stays open.
    int openModal(QDialog& window, const std::function<void()>& act = {})
    {
        modal.onOpen = [&](QDialog& d) {
            if (act)
                act();
            return d.isVisible() ? int(QDialog::Rejected) : d.result();
        };
        window.setResult(QDialog::Rejected);
        return modal.exec(window);
    }
};

} // namespace velmaro::test
