#include "gui/about/FrmAbout.h"

#include "gui/widgets/FixedDialog.h"
#include "gui/widgets/Fonts.h"
#include "gui/widgets/ProgramBadge.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>

namespace {

QFont boldItalic(int pixels)
{
    QFont font = arialPixels(pixels, true);
    font.setItalic(true);
    return font;
}

QLabel *label(QWidget *parent, const QString &text, const QFont &font, const QColor &colour, const QRect &geometry)
{
    auto *created = new QLabel(text, parent);
    created->setFont(font);
    setTextColour(created, colour);
    created->setGeometry(geometry);
    created->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return created;
}

// The brand in its 96-pixel face, narrowed where needed so that the whole
// name stands in its box.
QFont brandFont(const QString &text, int width)
{
    QFont font = arialPixels(96, true);
    const int natural = QFontMetrics(font).horizontalAdvance(text);
    if (natural > width)
        font.setStretch(width * 100 / natural);
    return font;
}

} // namespace

TFrmAbout::TFrmAbout(QWidget *parent) : QDialog(parent)
{
    setUpFixedDialog(this, "FrmAbout", QStringLiteral("About"), {421, 228});
    setWindowOpacity(230.0 / 255.0);
    setBackground(this, WindowColours::InactiveCaptionText);

    const QString brandName = QStringLiteral("MX840");
    brand = label(this, brandName, brandFont(brandName, 281), WindowColours::Fuchsia, {0, 0, 281, 111});
    smallPicture = new ProgramBadge(this);
    smallPicture->setGeometry(240, 76, 29, 29);
    company = label(this, QStringLiteral("MX840 Interface Software"), boldItalic(16), WindowColours::ActiveCaption,
                    {8, 117, 390, 18});
    largePicture = new ProgramBadge(this);
    largePicture->setGeometry(276, 12, 141, 101);
    version = label(this, QStringLiteral("Version No. :  1.0        Machine No.: MX840          "), boldItalic(16),
                    WindowColours::Green, {8, 148, 356, 22});
    webCaption = label(this, QStringLiteral("Web:"), boldItalic(21), WindowColours::Blue, {4, 176, 56, 28});
    QFont underlined = boldItalic(21);
    underlined.setUnderline(true);
    webAddress = label(this, QStringLiteral("www.mx840.example"), underlined, WindowColours::Blue, {60, 176, 268, 28});
    webAddress->setCursor(Qt::PointingHandCursor);
    rights = label(this, QStringLiteral("Copyright (C) MX840 Interface Software. All rights reserved."), boldItalic(12),
                   WindowColours::Red, {4, 204, 403, 19});

    // A click on the others reaches the window and closes it; the small badge
    // and the web line keep theirs.
    for (QWidget *inert : std::initializer_list<QWidget *>{smallPicture, webCaption, webAddress})
        inert->setAttribute(Qt::WA_NoMousePropagation);
}

// A click on the window, or on what passes its clicks on, closes it.
void TFrmAbout::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        close();
}
