#pragma once

#include <QByteArray>
#include <QtGlobal>

// The line of text an input report is logged as: "R %.2x  " followed by
// "%.2x " for every data byte, upper-case hexadecimal.
QByteArray InputReportText(quint8 reportId, const quint8 *data, quint16 size);

// Appends the two upper-case hexadecimal digits of `byte`.
void appendHexByte(QByteArray &out, quint8 byte);
