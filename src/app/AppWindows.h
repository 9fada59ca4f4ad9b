#pragma once

#include "widgets/AppContext.h"

namespace velmaro {

class TFVelmaroFirmWare;
class TFsaveproj;
class TFHelp;
class TFAbout;
class TFSELstringhe;
class TFModifyFileSx;
class TFpargen;
class TFsdo;
class TFpdo;
class TFemcy;
class TFWemcy;
class TFXML;
class TFInfopdo;
class TFSetVar;
class TFSetPdo;
class TFBootSer;

// The sixteen windows, created once in this order and kept until the program ends. The main window
// is created first (its FormCreate restores the last project before any other window exists).
class AppWindows
{
public:
    enum class Start
    {
        // All sixteen built and none shown (tests drive the windows so).
        Hidden,
        // The program's start-up: the main window is built and shown, and as soon as it is on screen
        // the other fifteen are built. Input that arrives meanwhile waits until all sixteen exist.
        ShowMainWindowFirst,
    };

    // Once all sixteen exist, what start-up found wrong is said in one message: `startNotice` (about the
    // choice of the application directory) and the main window's own (folders, INI file).
    AppWindows(AppContext& context, const QString& appDir, Start start = Start::Hidden,
               const QString& startNotice = QString());
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    TFVelmaroFirmWare* FVelmaroFirmWare = nullptr;
    TFsaveproj* Fsaveproj = nullptr;
    TFHelp* FHelp = nullptr;
    TFAbout* FAbout = nullptr;
    TFSELstringhe* FSELstringhe = nullptr;
    TFModifyFileSx* FModifyFileSx = nullptr;
    TFpargen* Fpargen = nullptr;
    TFsdo* Fsdo = nullptr;
    TFpdo* Fpdo = nullptr;
    TFemcy* Femcy = nullptr;
    TFWemcy* FWemcy = nullptr;
    TFXML* FXML = nullptr;
    TFInfopdo* FInfopdo = nullptr;
    TFSetVar* FSetVar = nullptr;
    TFSetPdo* FSetPdo = nullptr;
    TFBootSer* FBootSer = nullptr;
};

} // namespace velmaro
