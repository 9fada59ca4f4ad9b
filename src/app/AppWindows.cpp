#include "app/AppWindows.h"

#include "app/UAbout.h"
#include "app/UHelp.h"
#include "app/USELstringhe.h"
#include "app/UVelmaroFirmWare.h"
#include "app/UXML.h"
#include "app/Unewp.h"
#include "canopen/UInfoPdo.h"
#include "canopen/USetPdo.h"
#include "canopen/UWemcy.h"
#include "canopen/Uemcy.h"
#include "canopen/Updo.h"
#include "device/UBootSer.h"
#include "device/UModifyFileSx.h"
#include "mapping/USetVar.h"
#include "mapping/Usdo.h"
#include "settings/Upargen.h"

namespace velmaro {

AppWindows::AppWindows(AppContext& c, const QString& appDir)
{
    FVelmaroFirmWare = new TFVelmaroFirmWare(c, *this, appDir);
    // The other windows are owned by the main window and hidden until opened.
    QWidget* owner = FVelmaroFirmWare;
    Fsaveproj = new TFsaveproj(c, owner);
    FHelp = new TFHelp(c, owner);
    FAbout = new TFAbout(c, owner);
    FSELstringhe = new TFSELstringhe(c, owner);
    FModifyFileSx = new TFModifyFileSx(c, owner);
    Fpargen = new TFpargen(c, owner);
    Fsdo = new TFsdo(c, owner);
    Fpdo = new TFpdo(c, owner);
    Femcy = new TFemcy(c, owner);
    FWemcy = new TFWemcy(c, owner);
    FXML = new TFXML(c, owner);
    FInfopdo = new TFInfopdo(c, owner);
    FSetVar = new TFSetVar(c, owner);
    FSetPdo = new TFSetPdo(c, owner);
    FBootSer = new TFBootSer(c, owner);
}

AppWindows::~AppWindows()
{
    delete FVelmaroFirmWare;
}

} // namespace velmaro
