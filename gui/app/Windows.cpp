#include "gui/app/Windows.h"

#include "gui/about/FrmAbout.h"
#include "gui/app/FrmTest.h"
#include "gui/reports/FrmPrint.h"
#include "gui/search/FrmSearch.h"
#include "gui/store/FrmStore.h"
#include "gui/widgets/Commands.h"

#include <QCoreApplication>
#include <QToolButton>

namespace {

// The menus belong to the window, where its layout places them. A desktop's
// global menu bar would move them out of it, and asking the session bus
// whether there is one costs the start-up a bus connection.
TFrmTest *windowWithItsOwnMenus(HidPlatform &hidPlatform)
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    return new TFrmTest(hidPlatform);
}

} // namespace

Windows::Windows(HidPlatform &hidPlatform)
    : FrmTest(windowWithItsOwnMenus(hidPlatform))
    // The About, store and search windows are centred on the main window.
    , FrmAbout(std::make_unique<TFrmAbout>(FrmTest.get()))
    , Frmprint(std::make_unique<TFrmprint>())
    , Frmstore(std::make_unique<TFrmstore>(FrmTest.get()))
    , Frmsearch(std::make_unique<TFrmsearch>(FrmTest.get()))
{
    connectWindows();
}

// What one window asks of another is wired here, where all five exist: the
// main window's reports use the print style dialog (gui/reports); SpeedButton5
// and the hidden Record > Search item open the store and search windows
// (gui/store, gui/search), and the store window's buttons carry out the main
// window's store panel commands.
void Windows::connectWindows()
{
    FrmTest->attachReports(*Frmprint);
    FrmTest->attachStoreAndSearch(*Frmstore, *Frmsearch);
    clickTriggers(Frmstore->SpeedButton8, FrmTest->storeSave);
    clickTriggers(Frmstore->SpeedButton9, FrmTest->storeDelete);
    clickTriggers(Frmstore->SpeedButton1, FrmTest->storeOpen);
    clickTriggers(Frmstore->SpeedButton7, FrmTest->storeReport);
}

Windows::~Windows()
{
    Frmsearch.reset();
    Frmstore.reset();
    Frmprint.reset();
    FrmAbout.reset();
    FrmTest.reset();
}
