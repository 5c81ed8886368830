#include "ErrorLog.h"

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/NorvaleError.h"

#include <cstdio>
#include <QLocale>

namespace norvale {

ErrorLog::ErrorLog(const QString& programFolder, MessageBoxes& boxes, const Clock& clock)
    : m_logPath(FileSystem::join(programFolder, QStringLiteral("ERROR.LOG")))
    , m_boxes(boxes)
    , m_clock(clock)
{}

QString ErrorLog::entryFor(const NorvaleError& error) const
{
    const QDateTime now = m_clock.now();
    const QLocale locale = QLocale::system();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::ShortFormat) + QStringLiteral("  Error ") +
           QString::number(error.number()) + QStringLiteral(": ") + error.description() +
           QStringLiteral(" in module ") + error.source();
}

void ErrorLog::LogError(const NorvaleError& error, bool showMessage)
{
    if (showMessage) {
        m_boxes.show({error.description(),
                      QStringLiteral("Error ") + QString::number(error.number()),
                      MessageIcon::Exclamation, MessageButtons::Ok});
    }
    const QString entry = entryFor(error);
    try {
        FileSystem().appendText(m_logPath, (entry + QStringLiteral("\r\n")).toUtf8());
    } catch (const NorvaleError& logFailure) {
        std::fprintf(stderr, "%s\n%s\n", qUtf8Printable(entry),
                     qUtf8Printable(logFailure.description()));
    }
}

} // namespace norvale
