#include "ShortcutFile.h"

#include "IconDownloader.h"
#include "platform/FavoritesFence.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/ProfileFile.h"
#include "platform/TreeControl.h"
#include "shell/AppSettings.h"
#include "TreeConventions.h"

#include <optional>

namespace norvale {

namespace {

// A stored number; a value that is not one counts as absent.
std::optional<int> numberIn(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

// A history that does not read as a day and a count is none.
FailureHistory historyIn(const ProfileFile::Reading& file)
{
    const QDate since =
        QDate::fromString(file.value(ShortcutKeys::Private, ShortcutKeys::FailingSince, QString(),
                                     ReadLimits::FailingSince),
                          Qt::ISODate);
    const int failures = numberIn(file.value(ShortcutKeys::Private, ShortcutKeys::Failures,
                                             QString(), ReadLimits::Failures))
                             .value_or(0);
    if (!since.isValid() || failures < 1)
        return {};
    return {since, failures};
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

ShortcutFile::ShortcutFile(const AppSettings& settings, const FileSystem& fs, QString programFolder,
                           IconDownloader* downloader)
    : m_settings(settings)
    , m_fs(fs)
    , m_programFolder(std::move(programFolder))
    , m_downloader(downloader)
{}

QString ShortcutFile::pathFor(const QString& folderPath, const TreeNode* favorite) const
{
    return FavoriteFilePath(folderPath, favorite, m_fs);
}

QString ShortcutFile::ReadLinkSettings(const QString& folderPath, const TreeNode* favorite,
                                       CurrentLinkSettings& current)
{
    const QString path = pathFor(folderPath, favorite);
    QString url = ReadCheckSettings(path, current);
    if (m_settings.PreserveIcons)
        preserveIcon(path);
    return url;
}

QString ShortcutFile::ReadCheckSettings(const QString& path, CurrentLinkSettings& current) const
{
    // A file that cannot be read as a favorite's must not read as one with
    // no address: that would be judged dead. It is read once, now.
    const ProfileFile::Reading file = ProfileFile::readAll(path);
    QString url = file.value(ShortcutKeys::Standard, ShortcutKeys::Url, QString(), ReadLimits::Url);

    // An absent key, or one that is no number, leaves the program's value.
    const std::optional<int> timeout = numberIn(
        file.value(ShortcutKeys::Private, ShortcutKeys::Timeout, QString(), ReadLimits::Timeout));
    current.TimeoutFromFile = timeout.has_value();
    current.Timeout = timeout.value_or(m_settings.Timeout);
    current.OwnTimeout = current.Timeout != m_settings.Timeout;

    // "-1", the default, leaves the choice to the program-wide setting.
    const QString rename = file.value(ShortcutKeys::Private, ShortcutKeys::Rename,
                                      QStringLiteral("-1"), ReadLimits::Rename);
    const std::optional<int> renameFlag = numberIn(rename);
    current.Rename =
        (rename == QLatin1String("-1") || !renameFlag) ? m_settings.ChangeName : *renameFlag != 0;

    current.Bypass = numberIn(file.value(ShortcutKeys::Private, ShortcutKeys::Bypass,
                                         QStringLiteral("0"), ReadLimits::Bypass))
                         .value_or(0) != 0;
    current.History = historyIn(file);
    return url;
}

void ShortcutFile::preserveIcon(const QString& path)
{
    const QString iconFile = ReadIconFile(path);
    if (iconFile.isEmpty() || iconFile.contains(m_programFolder, Qt::CaseInsensitive) ||
        FavoritesFence::leadsOut(path))
        return;
    const QString local = m_downloader ? m_downloader->DownloadIcon(iconFile) : QString();
    if (local.isEmpty())
        return;
    try {
        WriteIcon(path, local);
    } catch (const NorvaleError& error) {
        if (!m_reportIconWriteFailure)
            throw;
        m_reportIconWriteFailure(error);
    }
}

LinkInfo ShortcutFile::GetLinkInfo(const TreeControl& tree) const
{
    const TreeNode* selected = tree.selectedItem();
    LinkInfo info;
    if (!selected || !selected->parent())
        return info;
    info.Name = selected->text();
    ProfileFile::Reading file;
    try {
        file = ProfileFile::readAll(pathFor(selected->parent()->key(), selected));
    } catch (const NorvaleError&) {
        // A file that cannot be read shows the defaults.
    }
    info.URL =
        file.value(ShortcutKeys::Standard, ShortcutKeys::Url, QString(), ReadLimits::Url).trimmed();
    const QString rename =
        file.value(ShortcutKeys::Private, ShortcutKeys::Rename, flagText(m_settings.ChangeName), 1);
    info.Rename = numberIn(rename).value_or(m_settings.ChangeName ? 1 : 0) != 0;
    info.Bypass = numberIn(file.value(ShortcutKeys::Private, ShortcutKeys::Bypass,
                                      QStringLiteral("0"), ReadLimits::Bypass))
                      .value_or(0) != 0;
    info.History = historyIn(file);
    return info;
}

QString ShortcutFile::ReadIconFile(const QString& path) const
{
    return ProfileFile::read(path, ShortcutKeys::Standard, ShortcutKeys::IconFile, QString(),
                             ReadLimits::IconFile);
}

void ShortcutFile::WriteFailureHistory(const QString& path, const FailureHistory& history) const
{
    using Change = ProfileFile::KeyChange;
    if (!history.failing()) {
        ProfileFile::update(path, ShortcutKeys::Private,
                            {Change{ShortcutKeys::FailingSince, std::nullopt},
                             Change{ShortcutKeys::Failures, std::nullopt}});
        return;
    }
    ProfileFile::update(path, ShortcutKeys::Private,
                        {Change{ShortcutKeys::FailingSince, history.since.toString(Qt::ISODate)},
                         Change{ShortcutKeys::Failures, QString::number(history.failures)}});
}

void ShortcutFile::WriteUrl(const QString& path, const QString& url) const
{
    ProfileFile::write(path, ShortcutKeys::Standard, ShortcutKeys::Url, url);
}

bool ShortcutFile::ReplaceUrl(const QString& path, const QString& expected,
                              const QString& url) const
{
    return ProfileFile::writeIfStill(path, ShortcutKeys::Standard, ShortcutKeys::Url, expected,
                                     url);
}

QString ShortcutFile::ReadUrl(const QString& path) const
{
    return ProfileFile::read(path, ShortcutKeys::Standard, ShortcutKeys::Url, QString(),
                             ReadLimits::Url);
}

void ShortcutFile::WriteIcon(const QString& path, const QString& localIconPath) const
{
    using Change = ProfileFile::KeyChange;
    ProfileFile::update(path, ShortcutKeys::Standard,
                        {Change{ShortcutKeys::IconFile, localIconPath},
                         Change{ShortcutKeys::IconIndex, QStringLiteral("0")}});
}

void ShortcutFile::ResetPrivateSettings(const QString& path) const
{
    ProfileFile::deleteSection(path, ShortcutKeys::Private);
}

QByteArray NewShortcutBytes(const QString& url)
{
    return "[" + ShortcutKeys::Standard.toUtf8() + "]\r\n" + ShortcutKeys::Url.toUtf8() + "=" +
           url.toUtf8() + "\r\n";
}

} // namespace norvale
