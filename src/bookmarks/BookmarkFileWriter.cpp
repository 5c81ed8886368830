#include "BookmarkFileWriter.h"

#include <algorithm>

namespace norvale {

namespace {

QString escaped(const QString& text)
{
    QString result = text.toHtmlEscaped(); // & < > "
    return result.replace(QLatin1Char('\''), QLatin1String("&#39;"));
}

QString dateAttribute(const QDateTime& added)
{
    return added.isValid() ? QStringLiteral(" ADD_DATE=\"%1\"").arg(added.toSecsSinceEpoch())
                           : QString();
}

// Four spaces a level, as browsers write it, up to a depth no reader needs
// to see: beyond it a file of deeply nested folders would grow with the
// square of their depth.
QString indentFor(int depth)
{
    constexpr int kDeepestIndent = 32;
    return QString(qsizetype(4) * std::min(depth, kDeepestIndent), QLatin1Char(' '));
}

} // namespace

QByteArray WriteBookmarkFile(const BookmarkList& items)
{
    QString text = QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                                  "<!-- This is an automatically generated file.\n"
                                  "     It will be read and overwritten.\n"
                                  "     DO NOT EDIT! -->\n"
                                  "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                                  "charset=UTF-8\">\n"
                                  "<TITLE>Bookmarks</TITLE>\n"
                                  "<H1>Bookmarks</H1>\n"
                                  "<DL><p>\n");
    int depth = 0; // folder lists open below the top list
    for (const BookmarkItem& item : items) {
        // An item never sits deeper than one below the folder before it.
        const int itemDepth = std::min(item.depth, depth);
        for (; depth > itemDepth; --depth)
            text += indentFor(depth) + QStringLiteral("</DL><p>\n");
        const QString indent = indentFor(depth + 1);
        if (item.kind == BookmarkItem::Kind::Folder) {
            text += indent +
                    QStringLiteral("<DT><H3%1>%2</H3>\n")
                        .arg(dateAttribute(item.added), escaped(item.title)) +
                    indent + QStringLiteral("<DL><p>\n");
            ++depth;
        } else {
            text += indent +
                    QStringLiteral("<DT><A HREF=\"%1\"%2>%3</A>\n")
                        .arg(escaped(item.url), dateAttribute(item.added), escaped(item.title));
        }
    }
    for (; depth > 0; --depth)
        text += indentFor(depth) + QStringLiteral("</DL><p>\n");
    text += QStringLiteral("</DL>\n");
    return text.toUtf8();
}

} // namespace norvale
