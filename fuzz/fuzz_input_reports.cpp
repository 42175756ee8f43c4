// libFuzzer target: any sequence of input reports through the report path
// (reassembly, decoder, current reading, record policy). Each report is a
// length byte (0 to 15) and that many bytes. Checks: a shown frame leaves an
// 18-character display text; the table keeps to the record limit, its rows
// numbered in order, its texts within 20 characters.
#include "core/app/MeterSession.h"
#include "core/app/StartUp.h"

#include <cstdlib>

// Small, so that inputs of a few dozen frames reach it and go past it.
constexpr int RecordLimit = 5;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MeterSession session(QString(), 64);
    StartUp::Configure(session, QStringLiteral("."), QStringLiteral(":"));
    session.state.RecordLimit = RecordLimit;
    size_t at = 0;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at] & 0x0F, size - at - 1);
        const quint8 reportId = data[at] >> 4 == 0xF ? 1 : 0; // now and then a report of another ID
        ++at;
        const MeterSession::InputReportOutcome outcome = session.Read618(reportId, data + at, quint16(length));
        at += length;
        if (outcome.frameShown && session.lastDisplayText().size() != 18)
            std::abort();
    }
    const ReadingTable &table = session.cds1;
    if (table.rowCount() > RecordLimit)
        std::abort();
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (table.row(row).No != row + 1)
            std::abort();
        for (int column = 1; column < 4; ++column) {
            if (table.text(row, column).value_or(QString()).size() > ReadingTable::TextFieldSize)
                std::abort();
        }
    }
    return 0;
}
