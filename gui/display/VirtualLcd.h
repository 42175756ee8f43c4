#pragma once

#include "gui/widgets/Panel.h"

struct LcdState;

// The virtual LCD (Panel9): paints the LCD state it is given, nothing more.
class VirtualLcd : public Panel
{
    Q_OBJECT

public:
    VirtualLcd(const LcdState &state, QWidget *parent = nullptr);

    // The annunciator row (Panel8) hides while the chart is enlarged over it.
    void setAnnunciatorRowVisible(bool visible);

    static const QColor Background;
    static const QColor Ink;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintMainDisplay(QPainter &painter) const;
    void paintSmallDisplay(QPainter &painter) const;
    void paintAnnunciators(QPainter &painter) const;
    void paintSymbols(QPainter &painter) const;

    const LcdState &lcd;
    bool annunciatorRow = true;
};
