#pragma once

#include <QApplication>

namespace velmaro {

class IMessageBoxes;

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
