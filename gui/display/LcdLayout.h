#pragma once

#include <QPoint>
#include <QRect>

#include <array>

// Where each element of the virtual LCD lies, in Panel9's coordinates. The
// lefts and sizes are those of the controls the LCD is made of; the boxes the
// glyphs fill are placed inside them.
namespace LcdLayout {

inline constexpr QSize PanelSize{313, 205};

// Sub-panels of Panel9
inline constexpr QPoint SmallDisplay{118, 10}; // Panel6, 187 x 65
inline constexpr QPoint Annunciators{6, 80};   // Panel8, 299 x 41
inline constexpr QPoint MainDisplay{8, 114};   // 297 x 87

// Main digits LabelA..LabelE (40 x 120 labels) and points Point1..Point4.
inline constexpr std::array<int, 5> MainDigitLefts{3, 51, 99, 148, 198};
inline constexpr std::array<int, 4> MainPointLefts{41, 88, 136, 186};
inline constexpr int MainDigitTop = 8;
inline constexpr QSize MainGlyph{38, 70};
inline constexpr int MainPointSize = 7;

// Small digits H_Time2, M_Time1, M_Time2, S_Time1, S_Time2 (21 x 63 labels),
// points T_Point1, T_Point2, T_Point3, T_Point5 and the colon T_dPoint2.
inline constexpr std::array<int, 5> SmallDigitLefts{35, 62, 88, 117, 144};
inline constexpr std::array<int, 4> SmallPointLefts{52, 81, 104, 135};
inline constexpr QPoint Colon{106, 5};
inline constexpr int SmallDigitTop = 10;
inline constexpr QSize SmallGlyph{21, 40};
inline constexpr int SmallPointSize = 4;

// Annunciator row: HOLD, MAX, MIN, AVE, USB (bold 20 px)
inline constexpr std::array<int, 5> AnnunciatorLefts{12, 76, 124, 172, 230};
inline constexpr int AnnunciatorHeight = 24;

// Units in the main display (bold 16 px)
inline constexpr QPoint Rpm{244, 23};
inline constexpr QPoint Count{239, 45};

// Symbols
inline constexpr QRect Battery{8, 8, 34, 29};
inline constexpr QRect Off{271, 9, 34, 34};
inline constexpr QRect PowerLevel{8, 46, 62, 31};
inline constexpr std::array<QRect, 3> PowerBars{QRect{25, 59, 5, 9}, QRect{38, 58, 5, 13}, QRect{49, 57, 5, 14}};

inline constexpr QPoint inMain(QPoint p)
{
    return MainDisplay + p;
}
inline constexpr QPoint inSmall(QPoint p)
{
    return SmallDisplay + p;
}

} // namespace LcdLayout
