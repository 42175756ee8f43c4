#pragma once

#include <QDialog>

// The secondary windows, created once at start-up and kept hidden until shown.

class TFrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget *parent = nullptr);
};

class TFrmstore : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmstore(QWidget *parent = nullptr);
};

class TFrmsearch : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmsearch(QWidget *parent = nullptr);
};

// Fixed client size and caption shared by the secondary windows.
void setUpFixedDialog(QDialog *dialog, const char *objectName, const QString &caption, QSize clientSize);
