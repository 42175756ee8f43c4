#pragma once

#include "link/LinkControl.h"

class QWidget;

// Every modal box the window shows goes through here, so that a test can
// answer them; the real one uses Qt's boxes.
class Dialogs : public LinkMessages
{
public:
    virtual void error(const QString &text) = 0;
};

class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent) : owner(parent) {}
    void information(const QString &text) override;
    void message(const QString &text) override;
    void error(const QString &text) override;

private:
    QWidget *owner;
};
