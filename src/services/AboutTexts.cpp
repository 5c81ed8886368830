#include "AboutTexts.h"

namespace norvale {

AboutTexts MakeAboutTexts(const ProgramVersion& version, int year)
{
    AboutTexts texts;
    texts.caption = QStringLiteral("About Brimwick Norvale");
    texts.title = QStringLiteral("Norvale") + QStringLiteral(" v") + VersionText(version);
    texts.copyright =
        QStringLiteral("Copyright \u00a9 %1 Brimwick Software. All rights reserved.").arg(year);
    texts.address = QString::fromLatin1(kMakerWebAddress);
    texts.credit = QStringLiteral("This product includes Qt, developed by The Qt Company "
                                  "(www.qt.io), and libcurl, developed by the curl project "
                                  "(curl.se).");
    return texts;
}

} // namespace norvale
