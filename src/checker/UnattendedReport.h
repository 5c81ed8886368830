#pragma once

#include <QStringList>

namespace norvale {

class CheckRunner;
class TreeControl;
struct AppSettings;

// The report of an unattended run over all favorites: one line per favorite
// in tree order, "<light>\t<path>\t<address>", then a summary line.
QStringList UnattendedReportLines(const CheckRunner& runner, const AppSettings& settings);

} // namespace norvale
