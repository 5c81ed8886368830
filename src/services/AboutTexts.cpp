#include "AboutTexts.h"

namespace norvale {

AboutTexts MakeAboutTexts(const ProgramVersion& version, int year)
{
    AboutTexts texts;
    texts.caption = QStringLiteral("About Brimwick Norvale");
    // The version as --version prints it; VersionText's form is the update
    // document's, for comparing, and reads wrongly ("v0.10" for 0.1.0).
    texts.title = QStringLiteral("Norvale v%1.%2.%3")
                      .arg(version.major)
                      .arg(version.minor)
                      .arg(version.revision);
    texts.copyright =
        QStringLiteral("Copyright \u00a9 %1 Brimwick Software. All rights reserved.").arg(year);
    texts.address = QString::fromLatin1(kMakerWebAddress);
    texts.credit = QStringLiteral("This product includes Qt, developed by The Qt Company "
                                  "(www.qt.io), and libcurl, developed by the curl project "
                                  "(curl.se).");
    return texts;
}

} // namespace norvale
