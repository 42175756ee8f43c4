#include "gui/reports/FrmPrint.h"

#include "gui/dialogs/AuxiliaryWindows.h"

TFrmprint::TFrmprint(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "Frmprint", QStringLiteral("Print Style"), {290, 233});
    ReportPictureFile.clear();
}
