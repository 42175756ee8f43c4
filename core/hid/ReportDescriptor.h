#pragma once

#include "core/hid/HidPlatform.h"

#include <QByteArray>

// What the HID layer needs from a report descriptor: the capability record and
// whether the interface numbers its reports.
struct ReportDescriptorInfo
{
    HidCaps caps;
    bool numberedReports = false;
};

// Parses a HID report descriptor. Report lengths are those of the longest
// report of each kind plus one byte for the report ID, which the layer always
// sees first (0 when the interface does not number its reports); a kind with
// no report has length 0. Malformed input gives what was understood so far.
ReportDescriptorInfo ParseReportDescriptor(const QByteArray &descriptor);
