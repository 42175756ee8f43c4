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
    decltype(&::cupsServer) server = nullptr;
    decltype(&::ippPort) port = nullptr;
    decltype(&::cupsEncryption) encryption = nullptr;
    decltype(&::httpConnect2) connect = nullptr;
    decltype(&::httpClose) close = nullptr;
    decltype(&::cupsLastError) lastError = nullptr;
    decltype(&::cupsLastErrorString) lastErrorString = nullptr;
    decltype(&::cupsGetNamedDest) namedDestination = nullptr;
    decltype(&::cupsFreeDests) freeDestinations = nullptr;
    decltype(&::cupsGetOption) option = nullptr;
    decltype(&::cupsAddOption) addOption = nullptr;
    decltype(&::cupsFreeOptions) freeOptions = nullptr;
    decltype(&::cupsPrintFile2) printFile = nullptr;
    QString loadError; // empty when every entry point was found

    static constexpr const char *FileName = "libcups.so.2";
};

template <typename Function> void resolve(ModuleHandle module, const char *name, Function &entry, bool &allFound)
{
    entry = reinterpret_cast<Function>(ModuleSymbolAll(module, name, allFound));
}

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
    resolve(module, "cupsServer", cups.server, all);
    resolve(module, "ippPort", cups.port, all);
    resolve(module, "cupsEncryption", cups.encryption, all);
    resolve(module, "httpConnect2", cups.connect, all);
    resolve(module, "httpClose", cups.close, all);
    resolve(module, "cupsLastError", cups.lastError, all);
    resolve(module, "cupsLastErrorString", cups.lastErrorString, all);
    resolve(module, "cupsGetNamedDest", cups.namedDestination, all);
    resolve(module, "cupsFreeDests", cups.freeDestinations, all);
    resolve(module, "cupsGetOption", cups.option, all);
    resolve(module, "cupsAddOption", cups.addOption, all);
    resolve(module, "cupsFreeOptions", cups.freeOptions, all);
    resolve(module, "cupsPrintFile2", cups.printFile, all);
    if (!all)
        cups.loadError = QStringLiteral("the print system's library %1 lacks what printing needs")
                             .arg(QLatin1String(CupsLibrary::FileName));
    return cups;
}

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
        cupsLibrary(&ignored)->freeDestinations(1, destination); // only made when the library is there
    }
};
using Destination = std::unique_ptr<cups_dest_t, DestinationFree>;

// Whether the print system can be reached at all; its address and the
// reason when not.
bool printSystemAnswers(const CupsLibrary &cups, QString *why)
{
    http_t *connection =
        cups.connect(cups.server(), cups.port(), nullptr, AF_UNSPEC, cups.encryption(), 1, 5000, nullptr);
    if (connection) {
        cups.close(connection);
        return true;
    }
    *why = QStringLiteral("the print system at %1:%2 cannot be reached (%3)")
               .arg(QString::fromUtf8(cups.server()))
               .arg(cups.port())
               .arg(QString::fromUtf8(cups.lastErrorString()));
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
        cups->namedDestination(CUPS_HTTP_DEFAULT, name.isEmpty() ? nullptr : utf8.constData(), nullptr));
    if (destination)
        return destination;
    const ipp_status_t status = cups->lastError();
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE && status != IPP_STATUS_ERROR_NOT_FOUND)
        *why = QString::fromUtf8(cups->lastErrorString()); // the print system refused us
    else if (printSystemAnswers(*cups, why))               // else nothing can be found: `why` says so
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
    const char *accepting = cups.option("printer-is-accepting-jobs", destination->num_options, destination->options);
    if (accepting && qstrcmp(accepting, "false") == 0) {
        const char *message = cups.option("printer-state-message", destination->num_options, destination->options);
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
    int count = cups.addOption("media", "iso_a4_210x297mm", 0, &options);
    count = cups.addOption("print-scaling", "none", count, &options);
    count = cups.addOption("fit-to-page", "false", count, &options);
    count = cups.addOption("copies", QByteArray::number(qMax(copies, 1)).constData(), count, &options);
    const int job = cups.printFile(CUPS_HTTP_DEFAULT, destination->name, QFile::encodeName(pdf).constData(),
                                   title.toUtf8().constData(), count, options);
    cups.freeOptions(count, options);
    if (job == 0)
        *why = QString::fromUtf8(cups.lastErrorString());
    return job;
}
