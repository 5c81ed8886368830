#include "ImageList.h"

namespace norvale {

ImageList::ImageList() = default;

const QStringList& ImageList::keys()
{
    static const QStringList list = {
        QStringLiteral("COPY"),        QStringLiteral("CUT"),          QStringLiteral("PASTE"),
        QStringLiteral("DELETE"),      QStringLiteral("FIND"),         QStringLiteral("PROPERTIES"),
        QStringLiteral("CHECKALL"),    QStringLiteral("CHECKONE"),     QStringLiteral("CHECKDIR"),
        QStringLiteral("STOP"),        QStringLiteral("LAUNCH"),       QStringLiteral("REFRESH"),
        QStringLiteral("INFO"),        QStringLiteral("IELOGO"),       QStringLiteral("FOLDER"),
        QStringLiteral("OPENFOLDER"),  QStringLiteral("GREENDOT"),     QStringLiteral("GRAYDOT"),
        QStringLiteral("NEWGREENDOT"), QStringLiteral("REDDOT"),       QStringLiteral("BLACKDOT"),
        QStringLiteral("YELLOWDOT"),   QStringLiteral("YELLOWRESULT"), QStringLiteral("REDRESULT"),
        QStringLiteral("GREENCHECK"),  QStringLiteral("GREENNEW"),     QStringLiteral("TOMBSTONE"),
        QStringLiteral("FILEEXIT"),    QStringLiteral("NEWFOLDER"),    QStringLiteral("OPTIONS"),
        QStringLiteral("PRINT"),       QStringLiteral("RENAME"),       QStringLiteral("SYNC"),
    };
    Q_ASSERT(list.size() == position(ImageKey::Sync));
    return list;
}

int ImageList::position(const QString& key) const
{
    return static_cast<int>(keys().indexOf(key)) + 1;
}

QString ImageList::key(int position) const
{
    return position >= 1 && position <= count() ? keys().at(position - 1) : QString();
}

} // namespace norvale
