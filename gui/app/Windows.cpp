#include "gui/app/Windows.h"

#include "gui/app/FrmTest.h"
#include "gui/dialogs/AuxiliaryWindows.h"
#include "gui/reports/FrmPrint.h"

Windows::Windows(HidPlatform &hidPlatform)
    : FrmTest(std::make_unique<TFrmTest>(hidPlatform))
    , FrmAbout(std::make_unique<TFrmAbout>())
    , Frmprint(std::make_unique<TFrmprint>())
    , Frmstore(std::make_unique<TFrmstore>())
    , Frmsearch(std::make_unique<TFrmsearch>())
{}

Windows::~Windows()
{
    Frmsearch.reset();
    Frmstore.reset();
    Frmprint.reset();
    FrmAbout.reset();
    FrmTest.reset();
}
