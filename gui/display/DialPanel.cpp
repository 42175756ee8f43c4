#include "gui/display/DialPanel.h"

#include "core/display/DialGeometry.h"
#include "gui/display/Pictures.h"
#include "gui/widgets/Fonts.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <vector>

namespace {

QLabel *icon(QWidget *parent, const QPixmap &picture, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setPixmap(picture);
    label->setGeometry(9, 5, 32, 32);
    return label;
}

} // namespace

DialCanvas::DialCanvas(QWidget *parent) : QWidget(parent), canvas(CanvasSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("KD1"));
    canvas.fill(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DialCanvas::drawScale(const DialGeometry &geometry, int dialScale)
{
    // At the screen's pixel ratio, so that a high-density screen gets a sharp
    // arc and sharp numbers; drawn in the same logical coordinates, so at 1×
    // every pixel is what it always was.
    const qreal ratio = devicePixelRatioF();
    if (canvas.devicePixelRatio() != ratio) {
        canvas = QImage((QSizeF(CanvasSize) * ratio).toSize(), QImage::Format_RGB32);
        canvas.setDevicePixelRatio(ratio);
    }
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setFont(arialPixels(11, false)); // the canvas's default 8-point font
    painter.setPen(Qt::black);
    const QFontMetrics metrics(painter.font());
    for (const DialGeometry::ScaleNumber &number : geometry.scaleNumbers()) {
        // "100" at its declared place (348) would end past the canvas's right
        // edge in this face (8 points are 11 pixels here, not 10.7): that one
        // label is moved in just far enough to be whole.
        QPoint topLeft = number.topLeft;
        const int overflow = topLeft.x() + metrics.boundingRect(number.text).right() - (CanvasSize.width() - 1);
        if (overflow > 0)
            topLeft.rx() -= overflow;
        painter.drawText(QRect(topLeft, QSize(30, 14)), Qt::AlignLeft | Qt::AlignTop, number.text);
    }

    painter.end();

    drawDots(canvas, geometry.scaleDots(), 2);
    drawDots(canvas, geometry.arcPoints(dialScale), 4); // the thick arc
    update();
}

// Each dot is the 2 × 2 box stroked in black, not antialiased. Stroking the
// arc's 1,201 one by one took a tenth of the program's start; the dot is
// stroked once into a stamp, and its black pixels are set at every place
// (the same pixels: an ellipse moved by whole pixels rasterises the same).
void DialCanvas::drawDots(QImage &canvas, const QList<QPoint> &places, int penWidth)
{
    const auto strokeDot = [penWidth](QPaintDevice &device, QPoint place) {
        QPainter painter(&device);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, penWidth));
        painter.drawEllipse(QRect(place, QSize(2, 2)));
    };
    const qreal ratio = canvas.devicePixelRatio();
    if (ratio != std::round(ratio)) { // whole logical pixels are not whole device pixels
        for (const QPoint &place : places)
            strokeDot(canvas, place);
        return;
    }
    const int scale = int(ratio);
    const int margin = penWidth; // as far as the pen reaches outside the box
    QImage stamp(QSize(2 + 2 * margin, 2 + 2 * margin) * scale, QImage::Format_ARGB32);
    stamp.setDevicePixelRatio(ratio);
    stamp.fill(Qt::transparent);
    strokeDot(stamp, QPoint(margin, margin));
    std::vector<QPoint> inked;
    for (int y = 0; y < stamp.height(); ++y) {
        for (int x = 0; x < stamp.width(); ++x) {
            if (qAlpha(stamp.pixel(x, y)) != 0)
                inked.emplace_back(x - margin * scale, y - margin * scale);
        }
    }
    const QRect bounds = canvas.rect();
    const qsizetype stride = canvas.bytesPerLine();
    uchar *const bits = canvas.bits();
    for (const QPoint &place : places) {
        for (const QPoint &offset : inked) {
            const QPoint pixel = place * scale + offset;
            if (bounds.contains(pixel))
                reinterpret_cast<QRgb *>(bits + pixel.y() * stride)[pixel.x()] = qRgb(0, 0, 0);
        }
    }
}

void DialCanvas::applyStroke(const Dial::Stroke &stroke)
{
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(stroke.erase);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(stroke.draw);
    // Only the two needles' area is repainted, with room for the pen.
    const auto around = [](const QLine &line) {
        return QRect(line.p1(), line.p2()).normalized().adjusted(-2, -2, 2, 2);
    };
    update(around(stroke.erase) | around(stroke.draw));
}

void DialCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    const qreal ratio = canvas.devicePixelRatio();
    painter.drawImage(area, canvas, QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
}

DialPanel::DialPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("KD"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    KD1 = new DialCanvas(this);
    KD1->setGeometry(QRect(QPoint(2, 2), DialCanvas::CanvasSize));

    // Shown above the picture so that the scale can be read with its
    // multiplier; on the dial's white, so that the needle passes behind it
    // and never crosses its text.
    Labrate = new QLabel(QStringLiteral("x 0.1"), this);
    Labrate->setObjectName(QStringLiteral("Labrate"));
    Labrate->setFont(arialPixels(15, true));
    Labrate->setAutoFillBackground(true); // the panel's palette: white
    Labrate->move(180, 80);
    Labrate->setMinimumWidth(60);

    CONok = icon(this, Pictures::connection(true), "CONok");
    CONokN = icon(this, Pictures::connection(false), "CONokN");
    CONok->hide();
}

void DialPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    // A raised outer bevel and a lowered inner bevel, one pixel each.
    QPainter painter(this);
    // QRect's right() and bottom() are the last pixel column and row: the
    // outer bevel runs along the widget's own edges.
    const QRect outer = rect();
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    auto bevel = [&](const QRect &r, const QColor &topLeft, const QColor &bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    bevel(outer, light, dark);
    bevel(inner, dark, light);
}
