// Table files of a million rows: save and open, text and XML, beside the time
// `cp` takes to copy a file of the same size (the floor: reading and writing
// the bytes, nothing else). Files go to $TMPDIR (default /tmp).
#include "core/recording/TableFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 kRows = 1'000'000;

// A million readings as a long run records them: many distinct values, nine
// readings a second, one unit.
const ReadingTable &recordedTable()
{
    static const ReadingTable table = [] {
        ReadingTable t;
        for (qint64 i = 0; i < kRows; ++i) {
            QString value = QString::number(10000 + (i * 7919) % 90000);
            if (i % 5 > 0)
                value.insert(int(i % 5), u'.');
            t.append({qint32(i + 1), QTime(0, 0).addSecs(int(i / 9)).toString(QStringLiteral("hh:mm:ss")), value,
                      QStringLiteral("RPM")});
        }
        return t;
    }();
    return table;
}

QString folder()
{
    static QTemporaryDir dir;
    return dir.path();
}

QString savedFile(TableLayout layout)
{
    const QString path = folder() + (layout == TableLayout::Xml ? "/table.xml" : "/table.xls");
    if (!QFile::exists(path))
        TableSave(recordedTable(), ReadingTable::FieldNames(), path).run();
    return path;
}

void save(benchmark::State &state, TableLayout layout)
{
    const ReadingTable &table = recordedTable();
    const QString path = folder() + (layout == TableLayout::Xml ? "/saved.xml" : "/saved.xls");
    for (auto _ : state) {
        if (TableSave(table, ReadingTable::FieldNames(), path).run() != TableFileJob::Status::Done)
            state.SkipWithError("save failed");
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["rows/s"] = benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate);
}

void open(benchmark::State &state, TableLayout layout)
{
    const QString path = savedFile(layout);
    for (auto _ : state) {
        auto table = std::make_unique<ReadingTable>();
        if (TableLoad(path, *table).run() != TableFileJob::Status::Done || table->rowCount() != kRows)
            state.SkipWithError("open failed");
        state.PauseTiming(); // freeing the table is not part of opening it
        table.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["rows/s"] = benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate);
}

// The floor: `cp` of the saved file, as a whole process; with `synced`, the
// copy is then flushed to disk as a save flushes its file.
void copy(benchmark::State &state, TableLayout layout, bool synced)
{
    const QByteArray from = QFile::encodeName(savedFile(layout));
    const QByteArray to = QFile::encodeName(folder() + "/copy");
    for (auto _ : state) {
        char *arguments[] = {const_cast<char *>("cp"), const_cast<char *>(from.constData()),
                             const_cast<char *>(to.constData()), nullptr};
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "cp", nullptr, nullptr, arguments, environ) != 0 ||
            waitpid(child, &status, 0) != child || status != 0)
            state.SkipWithError("cp failed");
        if (synced) {
            QFile copied(QFile::decodeName(to));
            if (!copied.open(QIODevice::ReadWrite) || ::fdatasync(copied.handle()) != 0)
                state.SkipWithError("sync failed");
        }
    }
    state.counters["MB"] = double(QFileInfo(QString::fromLocal8Bit(from)).size()) / 1e6;
}

BENCHMARK_CAPTURE(copy, text_cp, TableLayout::Text, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(copy, text_cp_sync, TableLayout::Text, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(save, text, TableLayout::Text)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(open, text, TableLayout::Text)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(copy, xml_cp, TableLayout::Xml, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(copy, xml_cp_sync, TableLayout::Xml, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(save, xml, TableLayout::Xml)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(open, xml, TableLayout::Xml)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
