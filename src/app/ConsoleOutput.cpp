#include "ConsoleOutput.h"

#include "checker/RunReport.h"
#include "platform/AtomicFile.h"
#include "platform/NorvaleError.h"

#include <QDateTime>

namespace norvale {

void PrintText(std::FILE* stream, const QString& text)
{
    std::fputs(qUtf8Printable(text), stream);
    std::fflush(stream);
}

void PrintLine(std::FILE* stream, const QString& line)
{
    PrintText(stream, line + QLatin1Char('\n'));
}

int Fail(const QString& message)
{
    PrintLine(stderr, QStringLiteral("norvale: ") + message);
    return 1;
}

bool WriteReportFile(const QString& path, const QList<ReportEntry>& entries)
{
    try {
        WriteFileAtomically(
            path, FormatReport(*ReportFormatFor(path), entries, QDateTime::currentDateTime()));
        return true;
    } catch (const NorvaleError& error) {
        Fail(QStringLiteral("the report %1 was not written: %2").arg(path, error.description()));
        return false;
    }
}

} // namespace norvale
