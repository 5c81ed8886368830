#pragma once

#include "checker/UnattendedReport.h"

#include <cstdio>
#include <QList>
#include <QString>

namespace norvale {

// What the tasks that run without the window print: the text as UTF-8,
// flushed at once so that output and errors keep their order.
void PrintText(std::FILE* stream, const QString& text);
void PrintLine(std::FILE* stream, const QString& line);
// Prints "norvale: MESSAGE" on standard error; returns the failing status, 1.
int Fail(const QString& message);
// Writes a run's report in the format its file name asks for; on failure
// says so on standard error and returns false.
bool WriteReportFile(const QString& path, const QList<ReportEntry>& entries);

} // namespace norvale
