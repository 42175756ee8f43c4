#include "gui/widgets/FixedDialog.h"

#include <QWidget>

void setUpFixedDialog(QDialog *dialog, const char *objectName, const QString &caption, QSize clientSize)
{
    dialog->setObjectName(QLatin1String(objectName));
    dialog->setWindowTitle(caption);
    dialog->setFixedSize(clientSize);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}
