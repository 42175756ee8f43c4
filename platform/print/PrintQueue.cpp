#include "platform/print/PrintQueue.h"

#include "platform/modules/ModuleLoader.h"

#include <QFile>

#include <cups/cups.h>

#include <dlfcn.h>

#include <memory>

namespace {

// The print system's client library, loaded the first time something is
// printed rather than at every start of the program: it brings a score of
// libraries of its own (encryption, Kerberos, service discovery).
struct CupsLibrary
{
    decltype(&::cupsServer) cupsServer = nullptr;
    decltype(&::ippPort) ippPort = nullptr;
    decltype(&::cupsEncryption) cupsEncryption = nullptr;
    decltype(&::httpConnect2) httpConnect2 = nullptr;
    decltype(&::httpClose) httpClose = nullptr;
    decltype(&::cupsLastError) cupsLastError = nullptr;
    decltype(&::cupsLastErrorString) cupsLastErrorString = nullptr;
    decltype(&::cupsGetNamedDest) cupsGetNamedDest = nullptr;
    decltype(&::cupsFreeDests) cupsFreeDests = nullptr;
    decltype(&::cupsGetOption) cupsGetOption = nullptr;
    decltype(&::cupsAddOption) cupsAddOption = nullptr;
    decltype(&::cupsFreeOptions) cupsFreeOptions = nullptr;
    decltype(&::cupsPrintFile2) cupsPrintFile2 = nullptr;
    QString loadError; // empty when every entry point was found

    static constexpr const char *FileName = "libcups.so.2";
};

#define MX840_BIND(name) ModuleBind(module, cups.name, #name, all)

CupsLibrary loadCups()
{
    CupsLibrary cups;
    ModuleHandle module = nullptr; // held for the rest of the run
    if (!ModuleOpen(module, CupsLibrary::FileName)) {
        cups.loadError =
            QStringLiteral("the print system's library cannot be loaded (%1)").arg(QString::fromLocal8Bit(dlerror()));
        return cups;
    }
    bool all = true;
    MX840_BIND(cupsServer);
    MX840_BIND(ippPort);
    MX840_BIND(cupsEncryption);
    MX840_BIND(httpConnect2);
    MX840_BIND(httpClose);
    MX840_BIND(cupsLastError);
    MX840_BIND(cupsLastErrorString);
    MX840_BIND(cupsGetNamedDest);
    MX840_BIND(cupsFreeDests);
    MX840_BIND(cupsGetOption);
    MX840_BIND(cupsAddOption);
    MX840_BIND(cupsFreeOptions);
    MX840_BIND(cupsPrintFile2);
    if (!all)
        cups.loadError = QStringLiteral("the print system's library %1 lacks what printing needs")
                             .arg(QLatin1String(CupsLibrary::FileName));
    return cups;
}

#undef MX840_BIND

// The library, or nothing with the reason.
const CupsLibrary *cupsLibrary(QString *why)
{
    static const CupsLibrary cups = loadCups();
    if (cups.loadError.isEmpty())
        return &cups;
    *why = cups.loadError;
    return nullptr;
}

struct DestinationFree
{
    void operator()(cups_dest_t *destination) const
    {
        QString ignored;
        cupsLibrary(&ignored)->cupsFreeDests(1, destination); // only made when the library is there
    }
};
using Destination = std::unique_ptr<cups_dest_t, DestinationFree>;

// Whether the print system can be reached at all; its address and the
// reason when not.
bool printSystemAnswers(const CupsLibrary &cups, QString *why)
{
    http_t *connection = cups.httpConnect2(cups.cupsServer(), cups.ippPort(), nullptr, AF_UNSPEC, cups.cupsEncryption(),
                                           1, 5000, nullptr);
    if (connection) {
        cups.httpClose(connection);
        return true;
    }
    *why = QStringLiteral("the print system at %1:%2 cannot be reached (%3)")
               .arg(QString::fromUtf8(cups.cupsServer()))
               .arg(cups.ippPort())
               .arg(QString::fromUtf8(cups.cupsLastErrorString()));
    return false;
}

// The queue, or nothing with the reason.
Destination destinationOf(const QString &name, QString *why)
{
    const CupsLibrary *cups = cupsLibrary(why);
    if (!cups)
        return nullptr;
    const QByteArray utf8 = name.toUtf8();
    Destination destination(
        cups->cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.isEmpty() ? nullptr : utf8.constData(), nullptr));
    if (destination)
        return destination;
    const ipp_status_t status = cups->cupsLastError();
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE && status != IPP_STATUS_ERROR_NOT_FOUND)
        *why = QString::fromUtf8(cups->cupsLastErrorString()); // the print system refused us
    else if (printSystemAnswers(*cups, why))                   // else nothing can be found: `why` says so
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
    const CupsLibrary &cups = *cupsLibrary(why);
    const char *accepting =
        cups.cupsGetOption("printer-is-accepting-jobs", destination->num_options, destination->options);
    if (accepting && qstrcmp(accepting, "false") == 0) {
        const char *message =
            cups.cupsGetOption("printer-state-message", destination->num_options, destination->options);
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
    const CupsLibrary &cups = *cupsLibrary(why);
    // The pages are A4 already: no filter may fit them to another paper or
    // scale them to the printable area.
    cups_option_t *options = nullptr;
    int count = cups.cupsAddOption("media", "iso_a4_210x297mm", 0, &options);
    count = cups.cupsAddOption("print-scaling", "none", count, &options);
    count = cups.cupsAddOption("fit-to-page", "false", count, &options);
    count = cups.cupsAddOption("copies", QByteArray::number(qMax(copies, 1)).constData(), count, &options);
    const int job = cups.cupsPrintFile2(CUPS_HTTP_DEFAULT, destination->name, QFile::encodeName(pdf).constData(),
                                        title.toUtf8().constData(), count, options);
    cups.cupsFreeOptions(count, options);
    if (job == 0)
        *why = QString::fromUtf8(cups.cupsLastErrorString());
    return job;
}
