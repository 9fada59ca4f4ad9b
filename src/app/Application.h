#pragma once

#include <QApplication>
#include <QIcon>

namespace velmaro {

class IMessageBoxes;

// The logo at any size, read from the icons drawn at build time when a size is first shown.
QIcon LogoIcon();

// The application object. An error that no handler caught abandons the user's action where it was
// raised; it is shown in an error box with its text and the program goes on.
class VelmaroApplication : public QApplication
{
public:
    VelmaroApplication(int& argc, char** argv);

    // Where uncaught errors are shown; nothing is shown while unset.
    void setMessageBoxes(IMessageBoxes* messages) { m_messages = messages; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    IMessageBoxes* m_messages = nullptr;
};

} // namespace velmaro
