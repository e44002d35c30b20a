#include "SystemPrinter.h"

#include <QLibrary>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>
#include <ctime>

namespace seiran {

namespace {

// The print system's own library, loaded when first asked: the toolkit sends the job but says
// nothing about a queue that stopped or refuses jobs. The declarations are the library's stable
// interface (libcups.so.2), written out here so that building needs no development package.
struct CupsOption
{
    char* name;
    char* value;
};
struct CupsDest
{
    char* name;
    char* instance;
    int isDefault;
    int optionCount;
    CupsOption* options;
};
struct CupsJob
{
    int id;
    char* dest;
    char* title;
    char* user;
    char* format;
    int state;
    int size;
    int priority;
    time_t completedTime;
    time_t creationTime;
    time_t processingTime;
};

struct Cups
{
    using GetNamedDest = CupsDest* (*)(void*, const char*, const char*);
    using FreeDests = void (*)(int, CupsDest*);
    using GetOption = const char* (*)(const char*, int, CupsOption*);
    using GetJobs = int (*)(CupsJob**, const char*, int, int);
    using FreeJobs = void (*)(int, CupsJob*);

    GetNamedDest getNamedDest = nullptr;
    FreeDests freeDests = nullptr;
    GetOption getOption = nullptr;
    GetJobs getJobs = nullptr;
    FreeJobs freeJobs = nullptr;

    bool loaded() const { return getNamedDest && freeDests && getOption && getJobs && freeJobs; }
};

const Cups& cups()
{
    static const Cups library = [] {
        Cups c;
        QLibrary lib(QStringLiteral("cups"), 2);
        if (!lib.load()) return c;
        c.getNamedDest = reinterpret_cast<Cups::GetNamedDest>(lib.resolve("cupsGetNamedDest"));
        c.freeDests = reinterpret_cast<Cups::FreeDests>(lib.resolve("cupsFreeDests"));
        c.getOption = reinterpret_cast<Cups::GetOption>(lib.resolve("cupsGetOption"));
        c.getJobs = reinterpret_cast<Cups::GetJobs>(lib.resolve("cupsGetJobs"));
        c.freeJobs = reinterpret_cast<Cups::FreeJobs>(lib.resolve("cupsFreeJobs"));
        return c;
    }();
    return library;
}

constexpr int CupsWhichJobsAll = -1;
constexpr int CupsPrinterStopped = 5;

} // namespace

Result FindSystemPrinter(const QString& name, QPrinterInfo& info)
{
    if (name == QLatin1String("default")) {
        info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) return Result::failure(QStringLiteral("既定のプリンタがありません。"));
        return Result::success();
    }
    info = QPrinterInfo::printerInfo(name);
    if (!info.isNull()) return Result::success();
    const QStringList names = QPrinterInfo::availablePrinterNames();
    return Result::failure(names.isEmpty()
                               ? QStringLiteral("プリンタ「%1」がありません（使えるプリンタがありません）。").arg(name)
                               : QStringLiteral("プリンタ「%1」がありません。使えるのは %2 です。")
                                     .arg(name, names.join(QStringLiteral("、"))));
}

QString PrinterRefusalReason(const QString& printerName)
{
    const Cups& c = cups();
    if (!c.loaded()) return QString();
    const QByteArray name = printerName.toLocal8Bit();
    CupsDest* dest = c.getNamedDest(nullptr, name.constData(), nullptr);
    if (!dest) return QString();
    const char* accepting = c.getOption("printer-is-accepting-jobs", dest->optionCount, dest->options);
    const char* state = c.getOption("printer-state", dest->optionCount, dest->options);
    QString reason;
    if (accepting && QByteArray(accepting) == "false")
        reason = QStringLiteral("プリンタ「%1」は印刷を受け付けていません。").arg(printerName);
    else if (state && QByteArray(state).toInt() == CupsPrinterStopped)
        reason = QStringLiteral("プリンタ「%1」は停止しています。").arg(printerName);
    c.freeDests(1, dest);
    return reason;
}

int NewestPrintJob(const QString& printerName)
{
    const Cups& c = cups();
    if (!c.loaded()) return -1;
    const QByteArray name = printerName.toLocal8Bit();
    CupsJob* jobs = nullptr;
    const int count = c.getJobs(&jobs, name.constData(), 0, CupsWhichJobsAll);
    if (count < 0) return -1;
    int newest = 0;
    for (int i = 0; i < count; ++i)
        newest = qMax(newest, jobs[i].id);
    c.freeJobs(count, jobs);
    return newest;
}

void ApplyReportPaper(QPrinter& printer, const QPageLayout& paper)
{
    if (paper.pageSize().id() != QPageSize::A4) {
        printer.setPageSize(paper.pageSize());
    } else if (printer.outputFormat() == QPrinter::NativeFormat) {
        // The toolkit starts every printer on the locale's paper, not on the one its queue is set to.
        const QPageSize own = QPrinterInfo::printerInfo(printer.printerName()).defaultPageSize();
        if (own.isValid()) printer.setPageSize(own);
    }
    printer.setPageOrientation(paper.orientation());
}

} // namespace seiran
