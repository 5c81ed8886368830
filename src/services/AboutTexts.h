#pragma once

#include "services/ProgramVersion.h"

#include <QString>

namespace norvale {

// The maker's web site, as a host name without a scheme.
inline constexpr const char* kMakerWebAddress = "www.brimwick.com";

// What the about box shows.
struct AboutTexts {
    QString caption;   // "About Brimwick Norvale"
    QString title;     // "Norvale v" + the version as the program writes it
    QString copyright; // with the given year
    QString address;   // the maker's web site
    QString credit;    // the libraries the program ships with
};

AboutTexts MakeAboutTexts(const ProgramVersion& version, int year);

} // namespace norvale
