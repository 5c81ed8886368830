#pragma once

#include <QString>

namespace norvale {

class Clock;
class FileSystem;
class MessageBoxes;
class NorvaleError;

// The program's one error reporter: appends a line to ERROR.LOG in the
// program's folder and, when asked, shows the error in a message box. A log
// that cannot be written never hides the error: the line goes to standard
// error instead.
class ErrorLog {
public:
    ErrorLog(const QString& programFolder, MessageBoxes& boxes, const Clock& clock);

    void LogError(const NorvaleError& error, bool showMessage);
    // The log line for an error, without its line end.
    QString entryFor(const NorvaleError& error) const;

private:
    QString m_logPath;
    MessageBoxes& m_boxes;
    const Clock& m_clock;
};

} // namespace norvale
