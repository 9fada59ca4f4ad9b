#pragma once

#include <QString>

#include <optional>

namespace velmaro {

// Everything a person answers goes through these interfaces; tests replace them with recorders.

// The two message boxes: plain (application title, no icon, "OK") and error ("Error", error icon, "OK").
class IMessageBoxes
{
public:
    virtual ~IMessageBoxes() = default;
    virtual void showMessage(const QString& text) = 0;
    virtual void showError(const QString& text) = 0;
    // A question box (application title, question icon, "Yes" and "No"); true for Yes. Escape and the
    // close box answer No.
    virtual bool askYesNo(const QString& text) = 0;
};

struct FileDialogRequest
{
    QString title;
    QString filter;      // in "Description (*.ext)|*.ext" form, pairs separated by "|"
    QString initialDir;  // built with "\"
    QString defaultExt;  // e.g. "gsd"; empty for none
    QString initialName; // the file name a save dialog suggests; empty for none
};

class IFileDialogs
{
public:
    virtual ~IFileDialogs() = default;
    // The chosen file's full path, or nothing when cancelled.
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    // Browse-for-folder rooted at `root`: nothing above it can be chosen; `dir`, when not empty, is
    // selected at first. On OK `dir` becomes the chosen folder and the result is true.
    virtual bool browseForFolder(const QString& title, const QString& root, QString& dir) = 0;
};

// The desktop shell: opening a web address or a mail link in the user's default program.
class IShell
{
public:
    virtual ~IShell() = default;
    virtual void openAddress(const QString& address) = 0;
};

} // namespace velmaro
