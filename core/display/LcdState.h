#pragma once

#include <QString>

#include <array>

// One element of the virtual LCD: the character(s) it shows and whether it is lit.
struct LcdControl
{
    QString caption;
    bool visible = true;
    bool operator==(const LcdControl &) const = default;
};

// Every element of the virtual LCD that changes, by name. The start state is
// the meter's self-test: every digit "8", all large points, the colon, the
// annunciators and the battery.
struct LcdState
{
    // Symbols at the left and right of the small display
    LcdControl power{QString(), true}; // battery
    LcdControl LabelOFF{QStringLiteral(" "), false};
    LcdControl Label1{QStringLiteral("}"), false}; // power-level symbol
    LcdControl pow1{QString(), false};             // its three bars
    LcdControl pow2{QString(), false};
    LcdControl pow3{QString(), false};

    // Small display, digits 5 (leftmost) to 1 (rightmost), its points and colon
    LcdControl H_Time2{QStringLiteral("8")};
    LcdControl M_Time1{QStringLiteral("8")};
    LcdControl M_Time2{QStringLiteral("8")};
    LcdControl S_Time1{QStringLiteral("8")};
    LcdControl S_Time2{QStringLiteral("8")};
    LcdControl T_Point1{QStringLiteral("."), false}; // after small digit 5
    LcdControl T_Point2{QStringLiteral("."), false}; // after small digit 4
    LcdControl T_Point3{QStringLiteral("."), false}; // after small digit 3
    LcdControl T_Point5{QStringLiteral("."), false}; // after small digit 2
    LcdControl T_dPoint2{QStringLiteral(":")};       // between small digits 3 and 2

    // Annunciator row
    LcdControl NLabelHOLD{QStringLiteral("HOLD")};
    LcdControl Nlabelmax{QStringLiteral("MAX")};
    LcdControl NLabelmin{QStringLiteral("MIN")};
    LcdControl NLabelavg{QStringLiteral("AVE")};
    LcdControl rsUSB{QStringLiteral("USB")};

    // Main display, digits left to right, the points after the first four, units
    LcdControl LabelA{QStringLiteral("8")};
    LcdControl LabelB{QStringLiteral("8")};
    LcdControl LabelC{QStringLiteral("8")};
    LcdControl LabelD{QStringLiteral("8")};
    LcdControl LabelE{QStringLiteral("8")};
    LcdControl Point1{QStringLiteral(".")};
    LcdControl Point2{QStringLiteral(".")};
    LcdControl Point3{QStringLiteral(".")};
    LcdControl Point4{QStringLiteral(".")};
    LcdControl labrpm{QStringLiteral("RPM")};
    LcdControl labcount{QStringLiteral("COUNT")};

    std::array<LcdControl *, 5> mainDigits() { return {&LabelA, &LabelB, &LabelC, &LabelD, &LabelE}; }
    std::array<LcdControl *, 4> mainPoints() { return {&Point1, &Point2, &Point3, &Point4}; }
    // Small digits left to right
    std::array<LcdControl *, 5> smallDigits() { return {&H_Time2, &M_Time1, &M_Time2, &S_Time1, &S_Time2}; }

    bool operator==(const LcdState &) const = default;
};
