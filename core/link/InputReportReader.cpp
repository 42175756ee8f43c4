#include "core/link/InputReportReader.h"

#include "core/common/ModuleState.h"
#include "core/display/SegmentDecoder.h"
#include "core/link/InputReportText.h"

namespace {

constexpr int kFrameBytes = 27;
constexpr int kProbeFrameBytes = 14;

bool isDataCarrying(int countDigit)
{
    return countDigit >= 1 && countDigit <= 9;
}

} // namespace

InputReportReader::InputReportReader(ModuleState &moduleState, ConnectionIndicator &connectionIndicator)
    : state(moduleState), indicator(connectionIndicator)
{}

int InputReportReader::countDigit(const quint8 *data, quint16 size)
{
    return size == 0 ? -1 : (data[0] & 0x0F);
}

void InputReportReader::collectMeterBytes(const quint8 *data, quint16 size, int count)
{
    // Bytes the count names beyond the end of the report contribute nothing,
    // and bytes after a frame's 27th are never looked at: a stream of data
    // reports without a closing one cannot make the frame grow.
    const int room = kFrameBytes - int(FrameHex.size() / 2);
    const int available = qMin(qMin(count, int(size) - 1), room);
    for (int i = 1; i <= available; ++i)
        appendHexByte(FrameHex, data[i]);
}

// Keeps the low digit of each of the first `nibbleCount` collected bytes and
// returns the collector to idle.
void InputReportReader::closeFrame(int nibbleCount)
{
    const int bytes = qMin(nibbleCount, int(FrameHex.size() / 2));
    FrameNibbles.resize(bytes);
    for (int i = 0; i < bytes; ++i)
        FrameNibbles[i] = FrameHex[2 * i + 1];
    FrameHex.clear();
    FrameCollecting = false;
}

std::optional<QByteArray> InputReportReader::Read618(quint8, const quint8 *Data, quint16 Size)
{
    const int count = countDigit(Data, Size);
    if (Size > 0)
        ++state.ReportCount;

    if (isDataCarrying(count)) {
        state.ReportCount = 0;
        indicator.showCONokN();
        state.WatchdogTicks = 0;
        FrameCollecting = true;
        collectMeterBytes(Data, Size, count);
        return std::nullopt;
    }
    if (!FrameCollecting)
        return std::nullopt;

    closeFrame(kFrameBytes);
    // The frame text is the low digits of frame bytes 2..27; it ends in "DA".
    const QByteArray &nibbles = FrameNibbles;
    if (nibbles.size() < kFrameBytes || nibbles[25] != 'D' || nibbles[26] != 'A')
        return std::nullopt;
    return DecodeSegmentFrame(nibbles.mid(1, kFrameBytes - 1));
}

std::optional<QByteArray> InputReportReader::ReadProbe(quint8 ReportID, const quint8 *Data, quint16 Size)
{
    const int count = countDigit(Data, Size);
    if (Size > 0)
        ++state.ReportCount;

    if (isDataCarrying(count)) {
        state.ReportCount = 0;
        FrameCollecting = true;
        collectMeterBytes(Data, Size, count);
        return InputReportText(ReportID, Data, Size);
    }
    if (FrameCollecting)
        closeFrame(kProbeFrameBytes);
    return std::nullopt;
}
