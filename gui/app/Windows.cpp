#include "gui/app/Windows.h"

#include "gui/app/FrmTest.h"
#include "gui/dialogs/FrmAbout.h"
#include "gui/dialogs/FrmSearch.h"
#include "gui/dialogs/FrmStore.h"
#include "gui/reports/FrmPrint.h"

#include <QToolButton>

#include <utility>

Windows::Windows(HidPlatform &hidPlatform)
    : FrmTest(std::make_unique<TFrmTest>(hidPlatform))
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
// (gui/dialogs), and the store window's buttons click the main window's
// off-screen ones.
void Windows::connectWindows()
{
    FrmTest->attachReports(*Frmprint);
    FrmTest->attachStoreAndSearch(*Frmstore, *Frmsearch);
    const std::pair<QToolButton *, QToolButton *> forwards[] = {{Frmstore->SpeedButton8, FrmTest->SpeedButton8},
                                                                {Frmstore->SpeedButton9, FrmTest->SpeedButton9},
                                                                {Frmstore->SpeedButton1, FrmTest->SpeedButton4},
                                                                {Frmstore->SpeedButton7, FrmTest->SpeedButton7}};
    for (const auto &[storeButton, mainButton] : forwards)
        QObject::connect(storeButton, &QToolButton::clicked, mainButton, &QToolButton::click);
}

Windows::~Windows()
{
    Frmsearch.reset();
    Frmstore.reset();
    Frmprint.reset();
    FrmAbout.reset();
    FrmTest.reset();
}
