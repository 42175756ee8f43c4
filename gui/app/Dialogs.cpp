#include "Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

void QtDialogs::information(const QString &text)
{
    QMessageBox::information(owner, QStringLiteral("Information"), text);
}

void QtDialogs::message(const QString &text)
{
    QMessageBox::information(owner, QStringLiteral("MX840"), text);
}

void QtDialogs::error(const QString &text)
{
    QMessageBox::critical(owner, QStringLiteral("Error"), text);
}

bool QtDialogs::confirm(const QString &text)
{
    return QMessageBox::question(owner, QStringLiteral("Confirm"), text) == QMessageBox::Yes;
}

// Bitmaps only, asking before overwriting; Qt's own dialog so that it behaves
// the same everywhere.
QString QtDialogs::savePictureFile()
{
    QFileDialog dialog(owner, QString(), QString(), QStringLiteral("Bitmaps (*.bmp)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
