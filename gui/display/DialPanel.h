#pragma once

#include "core/display/Dial.h"

#include <QFrame>
#include <QImage>

class DialGeometry;
class QLabel;

// The dial's picture KD1: a canvas that keeps whatever is drawn on it.
class DialCanvas : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize CanvasSize{365, 153}; // logical pixels
    explicit DialCanvas(QWidget *parent = nullptr);

    // Whitens the canvas and draws the scale: numbers, dots and the thick arc.
    void drawScale(const DialGeometry &geometry, int dialScale);
    // Erases the old needle in the panel colour, then draws the new one.
    void applyStroke(const Dial::Stroke &stroke);

    const QImage &image() const { return canvas; }

    // A black dot (the 2 × 2 box stroked with `penWidth`) at each place, in
    // the canvas's logical pixels.
    static void drawDots(QImage &canvas, const QList<QPoint> &places, int penWidth);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage canvas;
};

// The dial panel KD: white, with a raised outer and a lowered inner bevel; it
// holds the multiplier label, the canvas and the connection indicator.
class DialPanel : public QFrame
{
    Q_OBJECT

public:
    explicit DialPanel(QWidget *parent = nullptr);

    QLabel *Labrate = nullptr;
    DialCanvas *KD1 = nullptr;
    QLabel *CONok = nullptr;
    QLabel *CONokN = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
};
