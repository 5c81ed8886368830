#include "TempFavorites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace norvale::test {

TempFolder::TempFolder()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary folder");
}

QString TempFolder::path(const QString& relative) const
{
    return m_dir.filePath(relative);
}

QString TempFolder::folder(const QString& relative) const
{
    const QString full = path(relative);
    QDir().mkpath(full);
    return full;
}

QString TempFolder::file(const QString& relative, const QByteArray& bytes) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile out(full);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + full.toStdString());
    return full;
}

QString TempFolder::shortcut(const QString& relative, const QString& url) const
{
    return file(relative, "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
}

QByteArray TempFolder::read(const QString& relative) const
{
    QFile in(path(relative));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QStringList TempFolder::lines(const QString& relative) const
{
    QString text = QString::fromUtf8(read(relative));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList result = text.split(QLatin1Char('\n'));
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

} // namespace norvale::test
