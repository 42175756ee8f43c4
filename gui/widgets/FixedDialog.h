#pragma once

#include <QColor>
#include <QDialog>

class QWidget;

// Fixed client size, caption and object name of a secondary window.
void setUpFixedDialog(QDialog *dialog, const char *objectName, const QString &caption, QSize clientSize);

// Paints a widget's background in one colour.
void setBackground(QWidget *widget, const QColor &colour);
// Sets the colour of a widget's text.
void setTextColour(QWidget *widget, const QColor &colour);

// Colours the windows name: the named web colours, and the desktop's caption
// colours, which a Linux desktop does not have — their classic values stand in.
namespace WindowColours {
inline const QColor Fuchsia{0xFF, 0x00, 0xFF};
inline const QColor Green{0x00, 0x80, 0x00};
inline const QColor Blue{0x00, 0x00, 0xFF};
inline const QColor Red{0xFF, 0x00, 0x00};
inline const QColor Purple{0x80, 0x00, 0x80};
inline const QColor SkyBlue{0xA6, 0xCA, 0xF0};
inline const QColor ActiveCaption{0x0A, 0x24, 0x6A};
inline const QColor InactiveCaptionText{0xD4, 0xD0, 0xC8};
} // namespace WindowColours
