#include "platform/print/PrintQueue.h"

#include <QFile>

#include <cups/cups.h>

#include <memory>

namespace {

struct DestinationFree
{
    void operator()(cups_dest_t *destination) const { cupsFreeDests(1, destination); }
};
using Destination = std::unique_ptr<cups_dest_t, DestinationFree>;

// Whether the print system can be reached at all; its address and the
// reason when not.
bool printSystemAnswers(QString *why)
{
    http_t *connection = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr);
    if (connection) {
        httpClose(connection);
        return true;
    }
    *why = QStringLiteral("the print system at %1:%2 cannot be reached (%3)")
               .arg(QString::fromUtf8(cupsServer()))
               .arg(ippPort())
               .arg(QString::fromUtf8(cupsLastErrorString()));
    return false;
}

// The queue, or nothing with the reason.
Destination destinationOf(const QString &name, QString *why)
{
    const QByteArray utf8 = name.toUtf8();
    Destination destination(cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.isEmpty() ? nullptr : utf8.constData(), nullptr));
    if (destination)
        return destination;
    const ipp_status_t status = cupsLastError();
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE && status != IPP_STATUS_ERROR_NOT_FOUND)
        *why = QString::fromUtf8(cupsLastErrorString()); // the print system refused us
    else if (printSystemAnswers(why))                    // else nothing can be found: `why` says so
        *why = name.isEmpty() ? QStringLiteral("there is no default printer queue")
                              : QStringLiteral("there is no printer queue \"%1\"").arg(name);
    return nullptr;
}

} // namespace

bool PrintQueue::takesJobs(const QString &name, QString *why)
{
    const Destination destination = destinationOf(name, why);
    if (!destination)
        return false;
    const char *accepting = cupsGetOption("printer-is-accepting-jobs", destination->num_options, destination->options);
    if (accepting && qstrcmp(accepting, "false") == 0) {
        const char *message = cupsGetOption("printer-state-message", destination->num_options, destination->options);
        *why = QStringLiteral("the queue \"%1\" is not accepting jobs%2")
                   .arg(QString::fromUtf8(destination->name),
                        message && *message ? QStringLiteral(" (%1)").arg(QString::fromUtf8(message)) : QString());
        return false;
    }
    return true;
}

int PrintQueue::submitPdf(const QString &name, const QString &pdf, const QString &title, int copies, QString *why)
{
    const Destination destination = destinationOf(name, why);
    if (!destination)
        return 0;
    // The pages are A4 already: no filter may fit them to another paper or
    // scale them to the printable area.
    cups_option_t *options = nullptr;
    int count = cupsAddOption("media", "iso_a4_210x297mm", 0, &options);
    count = cupsAddOption("print-scaling", "none", count, &options);
    count = cupsAddOption("fit-to-page", "false", count, &options);
    count = cupsAddOption("copies", QByteArray::number(qMax(copies, 1)).constData(), count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, destination->name, QFile::encodeName(pdf).constData(),
                                   title.toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        *why = QString::fromUtf8(cupsLastErrorString());
    return job;
}
