#include "Dialogs.h"

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
