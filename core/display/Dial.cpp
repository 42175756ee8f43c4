#include "core/display/Dial.h"

Dial::Dial() : dialGeometry(PanelSize.width(), PanelSize.height())
{}

Dial::Stroke Dial::KDrun(int value)
{
    const DialGeometry::Needle needle = dialGeometry.needle(value);
    const QLine erase(LastNeedleTip, LastNeedleBase);
    LastNeedleBase = needle.base;
    LastNeedleTip = needle.tip;
    lastValue = value;
    return {erase, QLine(needle.tip, needle.base)};
}
