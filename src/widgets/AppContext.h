#pragma once

#include "base/ProjectPaths.h"
#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "platform/Processes.h"
#include "platform/SerialPlatform.h"

namespace velmaro {

// What every window is given: the open project and the services through which it asks a person
// or the desktop. Tests fill it with recorders.
struct AppContext
{
    ProjectPaths& paths;
    IMessageBoxes& messages;
    IFileDialogs& dialogs;
    IModalRunner& modal;
    IShell& shell;
    ISerialPlatform& serial;
    IProcessRunner& processes;
};

} // namespace velmaro
