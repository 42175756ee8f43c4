#pragma once

#include "core/display/ConnectionIndicator.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

struct ModuleState;

// Collects the meter's bytes from the cable's input reports into display frames.
//
// A report whose count digit (low nibble of its first data byte) is 1..9 carries
// that many meter bytes after the first byte; any other report closes the frame
// being collected. A closed frame of at least 27 bytes whose bytes 26 and 27 have
// the low digits D and A is decoded; anything else is dropped silently.
class InputReportReader
{
public:
    InputReportReader(ModuleState &state, ConnectionIndicator &indicator);

    // The handler in effect while connected. Returns the display text of a frame
    // this report completed, if it was well formed.
    std::optional<QByteArray> Read618(quint8 ReportID, const quint8 *Data, quint16 Size);

    // Diagnostic handler: collects like Read618 but never decodes and leaves the
    // indicator and the watchdog alone. Returns the report text to log for a
    // data-carrying report.
    std::optional<QByteArray> ReadProbe(quint8 ReportID, const quint8 *Data, quint16 Size);

    // The frame being collected, as hex text, and the low digit of each byte
    // of the frame last closed.
    bool FrameCollecting = false;
    QByteArray FrameHex;
    QByteArray FrameNibbles;

private:
    // The low digit of data byte 1, or -1 when the report has no data bytes.
    static int countDigit(const quint8 *data, quint16 size);
    void collectMeterBytes(const quint8 *data, quint16 size, int count);
    void closeFrame(int nibbleCount);

    ModuleState &state;
    ConnectionIndicator &indicator;
};
