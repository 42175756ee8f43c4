#include "core/link/InputReportText.h"

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}

void appendHexByte(QByteArray &out, quint8 byte)
{
    out.append(kHexDigits[byte >> 4]);
    out.append(kHexDigits[byte & 0x0F]);
}

QByteArray InputReportText(quint8 reportId, const quint8 *data, quint16 size)
{
    QByteArray text;
    text.reserve(6 + 3 * size);
    text.append("R ");
    appendHexByte(text, reportId);
    text.append("  ");
    for (quint16 i = 0; i < size; ++i) {
        appendHexByte(text, data[i]);
        text.append(' ');
    }
    return text;
}
