#include "core/hid/ReportDescriptor.h"

#include <QHash>
#include <QList>

#include <array>

namespace {

enum ItemType { Main = 0, Global = 1, Local = 2 };

// Main item tags
constexpr int kInput = 0x8;
constexpr int kOutput = 0x9;
constexpr int kCollection = 0xA;
constexpr int kFeature = 0xB;
// Global item tags
constexpr int kUsagePage = 0x0;
constexpr int kReportSize = 0x7;
constexpr int kReportId = 0x8;
constexpr int kReportCount = 0x9;
constexpr int kPush = 0xA;
constexpr int kPop = 0xB;
// Local item tags
constexpr int kUsage = 0x0;

constexpr quint32 kMaxBits = 8u * 0xFFFEu; // the longest report that a 16-bit length can hold

struct GlobalState
{
    quint32 usagePage = 0;
    quint32 reportSize = 0;
    quint32 reportCount = 0;
    quint32 reportId = 0;
};

quint32 itemValue(const QByteArray &descriptor, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value |= quint32(quint8(descriptor[at + i])) << (8 * i);
    return value;
}

quint16 lengthWithId(const QHash<quint32, quint32> &bitsById)
{
    quint32 longest = 0;
    for (quint32 bits : bitsById)
        longest = qMax(longest, bits);
    return longest == 0 ? 0 : quint16((longest + 7) / 8 + 1);
}

} // namespace

ReportDescriptorInfo ParseReportDescriptor(const QByteArray &descriptor)
{
    ReportDescriptorInfo info;
    GlobalState global;
    QList<GlobalState> stack;
    quint32 lastUsage = 0;
    bool topUsageTaken = false;
    std::array<QHash<quint32, quint32>, 3> bits; // input, output, feature: bits per report ID

    qsizetype at = 0;
    while (at < descriptor.size()) {
        const quint8 prefix = quint8(descriptor[at]);
        if (prefix == 0xFE) { // long item: size in the next byte, tag after it
            if (at + 1 >= descriptor.size())
                break;
            at += 3 + quint8(descriptor[at + 1]);
            continue;
        }
        const int size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        const int type = (prefix >> 2) & 0x3;
        const int tag = prefix >> 4;
        if (at + 1 + size > descriptor.size())
            break;
        const quint32 value = itemValue(descriptor, at + 1, size);
        at += 1 + size;

        if (type == Global) {
            switch (tag) {
            case kUsagePage: global.usagePage = value; break;
            case kReportSize: global.reportSize = qMin(value, kMaxBits); break;
            case kReportCount: global.reportCount = qMin(value, kMaxBits); break;
            case kReportId:
                global.reportId = value;
                info.numberedReports = true;
                break;
            case kPush: stack.append(global); break;
            case kPop:
                if (!stack.isEmpty())
                    global = stack.takeLast();
                break;
            default: break;
            }
        } else if (type == Local && tag == kUsage) {
            lastUsage = value;
        } else if (type == Main) {
            const int kind = tag == kInput ? 0 : tag == kOutput ? 1 : tag == kFeature ? 2 : -1;
            if (kind >= 0) {
                quint32 &sum = bits[kind][global.reportId];
                sum = qMin(kMaxBits, sum + global.reportSize * global.reportCount);
            } else if (tag == kCollection && !topUsageTaken) {
                info.caps.UsagePage = quint16(global.usagePage);
                info.caps.Usage = quint16(lastUsage > 0xFFFF ? lastUsage & 0xFFFF : lastUsage);
                topUsageTaken = true;
            }
            lastUsage = 0;
        }
    }
    info.caps.InputReportByteLength = lengthWithId(bits[0]);
    info.caps.OutputReportByteLength = lengthWithId(bits[1]);
    info.caps.FeatureReportByteLength = lengthWithId(bits[2]);
    return info;
}
