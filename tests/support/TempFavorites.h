#pragma once

#include "platform/Clock.h"

#include <ostream>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <stdexcept>

namespace norvale::test {

// A temporary folder to build Favorites, program folders and store files in.
class TempFolder {
public:
    TempFolder()
    {
        if (!m_dir.isValid())
            throw std::runtime_error("cannot make a temporary folder");
    }

    QString path() const { return m_dir.path(); }
    QString path(const QString& relative) const { return QDir(path()).filePath(relative); }
    // Creates the folder (and those above it); returns its full path.
    QString folder(const QString& relative) const
    {
        QDir().mkpath(path(relative));
        return path(relative);
    }
    QString file(const QString& relative, const QByteArray& bytes = {}) const
    {
        const QString full = path(relative);
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile out(full);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write " + full.toStdString());
        return full;
    }
    // A favorite's file: its address, then its own section when given lines for it.
    QString shortcut(const QString& relative,
                     const QString& url = QStringLiteral("http://127.0.0.1/"),
                     const QStringList& own = {}) const
    {
        QByteArray bytes = "[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n";
        if (!own.isEmpty())
            bytes += "[Brimwick]\r\n" + own.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
        return file(relative, bytes);
    }
    // The settings store, registry.reg, as a person would write it: the
    // Favorites folder's line of the shell's key (or what stands in its
    // place), then the program's key with these lines.
    QString store(const QString& favoritesLine, const QStringList& programLines = {}) const
    {
        return file(QStringLiteral("registry.reg"),
                    QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                   "CurrentVersion\\Explorer\\Shell Folders]\r\n%1\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Software\\Brimwick\\Norvale]\r\n%2\r\n")
                        .arg(favoritesLine, programLines.join(QStringLiteral("\r\n")))
                        .toUtf8());
    }
    static QString favoritesLine(const QString& folder)
    {
        return QStringLiteral("\"Favorites\"=\"%1\"").arg(folder);
    }
    QByteArray read(const QString& relative) const
    {
        QFile in(path(relative));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    // The lines of a text file without their line ends.
    QStringList lines(const QString& relative) const
    {
        QString text = QString::fromUtf8(read(relative)).replace(QStringLiteral("\r\n"), "\n");
        if (text.endsWith('\n'))
            text.chop(1);
        return text.isEmpty() ? QStringList() : text.split('\n');
    }

private:
    QTemporaryDir m_dir;
};

// A clock that shows the time and zone it is told.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime now = QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26)))
        : m_now(std::move(now))
    {}
    QDateTime now() const override { return m_now; }
    TimeZoneInfo timeZone() const override { return m_zone; }

    void setNow(const QDateTime& now) { m_now = now; }
    void setZone(const TimeZoneInfo& zone) { m_zone = zone; }

private:
    QDateTime m_now;
    TimeZoneInfo m_zone;
};

} // namespace norvale::test

// Texts in test failures, readable.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
