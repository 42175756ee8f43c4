#include "core/display/Dial.h"

#include "core/common/ModuleState.h"

Dial::Dial(ModuleState &moduleState) : state(moduleState), dialGeometry(PanelSize.width(), PanelSize.height())
{}

Dial::Stroke Dial::KDrun(int value)
{
    const DialGeometry::Needle needle = dialGeometry.needle(value);
    const QLine erase(state.LastNeedleTip, state.LastNeedleBase);
    state.LastNeedleBase = needle.base;
    state.LastNeedleTip = needle.tip;
    lastValue = value;
    return {erase, QLine(needle.tip, needle.base)};
}
