// libFuzzer target: a graph report's picture file, as the print dialog reads
// it and the report paints it. Checks: a picture that cannot be read says why;
// one that can fits Qt's allocation limit and is painted onto a page.
#include "core/recording/ReadingTable.h"
#include "gui/reports/ReportRenderer.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>

#include <bit>
#include <cstdlib>
#include <unistd.h>

namespace {

QString pictureFile;

// Qt's image readers are not instrumented, so every picture that reads takes
// the same path through this file. Coverage counters of our own, one per kind
// of outcome (the format found, the error, the pixel format, the size), let
// the fuzzer keep an input of each kind instead of one picture for all.
__attribute__((section("__libfuzzer_extra_counters"))) uint8_t outcomeSeen[4096];

void countOutcome(const QImage &picture)
{
    QImageReader reader(pictureFile);
    const size_t kind =
        qHashMulti(0, reader.format(), int(reader.error()), int(picture.format()),
                   std::bit_width(unsigned(picture.width())), std::bit_width(unsigned(picture.height())));
    ++outcomeSeen[kind % sizeof outcomeSeen];
}

// The graph report's first page, with the picture in its box.
QImage graphPage(const QImage &picture)
{
    const ReadingTable noRows(16);
    return ReportOfTable(ReportStyle::Graph, noRows, picture)->pageImage(1, 20);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_report_picture";
    static char *argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv); // fonts for the page's texts
    // Qt loads an image format's plugin and the fonts once, on their first
    // use, and keeps them: load them now so that the first picture of each
    // kind is not taken for a leak.
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        QBuffer nothing;
        QImageReader(&nothing, format).read();
    }
    graphPage(QImage(8, 6, QImage::Format_RGB32));
    // Pictures declaring a huge size are turned down by the same check at any
    // limit; a small one keeps the runs from spending their time zeroing
    // 256 MiB images.
    QImageReader::setAllocationLimit(8);
    pictureFile = QStringLiteral("/dev/shm/fuzz_report_picture.%1").arg(getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(pictureFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QString why;
    const QImage picture = ReadReportPicture(pictureFile, &why);
    countOutcome(picture);
    if (picture.isNull()) {
        if (why.isEmpty())
            std::abort();
        return 0;
    }
    if (picture.sizeInBytes() > qsizetype(QImageReader::allocationLimit()) * 1024 * 1024)
        std::abort();
    if (graphPage(picture).isNull())
        std::abort();
    return 0;
}
