#pragma once

#include <QProxyStyle>

// Check boxes whose caption starts close to the box, as the record panel's
// tight layout needs: the sampling interval's edit covers the blank run in its
// caption (with a one-pixel spacing "Interval" ends two pixels before the
// edit's frame), and "Repeat" ends where the next box begins.
class CompactCheckBoxStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override
    {
        if (metric == PM_CheckBoxLabelSpacing)
            return 1;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};
