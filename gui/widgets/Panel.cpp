#include "gui/widgets/Panel.h"

#include <QMouseEvent>
#include <QPainter>

Panel::Panel(QWidget *parent, Bevel bevel) : QFrame(parent)
{
    switch (bevel) {
    case Bevel::None: setFrameStyle(QFrame::NoFrame); break;
    case Bevel::Raised: setFrameStyle(QFrame::Panel | QFrame::Raised); break;
    case Bevel::Lowered: setFrameStyle(QFrame::Panel | QFrame::Sunken); break;
    }
    setLineWidth(1);
}

void Panel::setCaption(const QString &caption)
{
    if (captionText == caption)
        return;
    captionText = caption;
    update();
}

void Panel::setCaptionColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void Panel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (captionText.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignCenter, captionText);
}

void Panel::mousePressEvent(QMouseEvent *event)
{
    pressed = event->button() == Qt::LeftButton;
    QFrame::mousePressEvent(event);
}

void Panel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed = false;
    QFrame::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
