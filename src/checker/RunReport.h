#pragma once

#include "UnattendedReport.h"

#include <optional>
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace norvale {

// The report files of an unattended run, their format chosen by extension.
enum class ReportFormat {
    Json, // one object: "summary" and "favorites", for programs
    Csv,  // RFC 4180, one row per favorite, for spreadsheets
    Html, // one self-contained page for people: no scripts, nothing fetched
};

std::optional<ReportFormat> ReportFormatFor(const QString& path);
// Why a report could not be written at path (an unknown extension, a
// missing or read-only folder, a folder in the way); empty when it can.
QString ReportPathProblem(const QString& path);
QByteArray FormatReport(ReportFormat format, const QList<ReportEntry>& entries,
                        const QDateTime& finished);

} // namespace norvale
