#include "gui/dialogs/AuxiliaryWindows.h"

void setUpFixedDialog(QDialog *dialog, const char *objectName, const QString &caption, QSize clientSize)
{
    dialog->setObjectName(QLatin1String(objectName));
    dialog->setWindowTitle(caption);
    dialog->setFixedSize(clientSize);
}

TFrmAbout::TFrmAbout(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "FrmAbout", QStringLiteral("About"), {421, 228});
}

TFrmstore::TFrmstore(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "Frmstore", QStringLiteral("Store "), {447, 493});
}

TFrmsearch::TFrmsearch(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "Frmsearch", QStringLiteral("Search"), {541, 363});
}
