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
{
    connectWindows();
}

// What one window asks of another is wired here, where all five exist: the
// main window's reports use the print style dialog (gui/reports); to come,
// SpeedButton5 and the hidden Record > Search item open the store and search
// windows (gui/dialogs), and the store window's buttons click the main
// window's off-screen ones.
void Windows::connectWindows()
{
    FrmTest->attachReports(*Frmprint);
}

Windows::~Windows()
{
    Frmsearch.reset();
    Frmstore.reset();
    Frmprint.reset();
    FrmAbout.reset();
    FrmTest.reset();
}
