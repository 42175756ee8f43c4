#pragma once

#include <QAbstractButton>
#include <QAction>

// A button that carries out a command: its click triggers the command's
// action, so each command is connected to its handler once, on its action,
// however many buttons and menu items offer it. A disabled button sends no
// click.
inline void clickTriggers(QAbstractButton *button, QAction *command)
{
    QObject::connect(button, &QAbstractButton::clicked, command, &QAction::trigger);
}
