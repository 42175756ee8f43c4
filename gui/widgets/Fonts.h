#pragma once

#include <QFont>

// Fonts are given in pixels so that nothing scales with the screen's
// resolution; a size in points is taken at 96 dots per inch. Controls that set
// their own font do not inherit the window's underline.
inline QFont arialPixels(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setUnderline(false);
    return font;
}

inline QFont arialPoints(int points)
{
    return arialPixels((points * 96 + 36) / 72);
}
