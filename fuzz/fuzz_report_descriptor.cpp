// libFuzzer target: any bytes parsed as a HID report descriptor (UBSan
// watches the arithmetic on declared sizes and counts). Checks: the same
// bytes parse the same way twice; an empty descriptor declares nothing.
#include "core/hid/ReportDescriptor.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray descriptor(reinterpret_cast<const char *>(data), qsizetype(size));
    const ReportDescriptorInfo info = ParseReportDescriptor(descriptor);
    const ReportDescriptorInfo again = ParseReportDescriptor(descriptor);
    if (info.caps.InputReportByteLength != again.caps.InputReportByteLength ||
        info.caps.OutputReportByteLength != again.caps.OutputReportByteLength ||
        info.caps.FeatureReportByteLength != again.caps.FeatureReportByteLength ||
        info.numberedReports != again.numberedReports)
        std::abort();
    if (size == 0 &&
        (info.caps.InputReportByteLength != 0 || info.caps.FeatureReportByteLength != 0 || info.numberedReports))
        std::abort();
    return 0;
}
