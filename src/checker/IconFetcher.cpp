#include "IconFetcher.h"

#include "favorites/WebAddress.h"
#include "PageReading.h"

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/NorvaleError.h"
#include "platform/TransferControl.h"

#include <cmath>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace norvale {

namespace {

constexpr int kChunkSize = 1024;
// Downloads of one second (or of two times that read the same) get "-2",
// "-3", ... before ".ico"; past this many the download gives up.
constexpr int kMostNamesPerStamp = 1000;

// Sets the control up for one icon download and, whatever happens, lets go
// of the transfer and gives the port back as the probe left it.
class ControlLease {
public:
    explicit ControlLease(TransferControl& control)
        : m_control(control)
        , m_port(control.RemotePort())
    {
        // 0: the icon address's own port (or its scheme's). The port of the
        // last probe belongs to another address.
        m_control.setRemotePort(0);
    }
    ~ControlLease()
    {
        m_control.Cancel();
        m_control.setRemotePort(m_port);
    }
    ControlLease(const ControlLease&) = delete;
    ControlLease& operator=(const ControlLease&) = delete;

private:
    TransferControl& m_control;
    long m_port;
};

// The numeric Content-Length, rounded; 0 when it is absent or not a number.
qint64 contentLength(const QString& value)
{
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < 0.5 || number > 9.0e15)
        return 0;
    return std::llround(number);
}

} // namespace

IconFetcher::IconFetcher(TransferControl& control, const FileSystem& fs, const Clock& clock,
                         QString programFolder)
    : m_control(control)
    , m_fs(fs)
    , m_clock(clock)
    , m_programFolder(std::move(programFolder))
{}

QString IconFetcher::TimeStampName(const QDateTime& localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    return QString::number(date.year()) + QString::number(date.month()) +
           QString::number(date.day()) + QString::number(time.hour()) +
           QString::number(time.minute()) + QString::number(time.second());
}

QString IconFetcher::iconsFolder() const
{
    return FileSystem::join(m_programFolder, QStringLiteral("Icons"));
}

QString IconFetcher::DownloadIcon(const QString& iconAddress)
{
    if (!IsWebAddress(iconAddress))
        return QString();

    ControlLease lease(m_control);
    m_control.setURL(iconAddress);
    // The whole icon, asked for as a range from its first byte: "0 - "
    // with nothing after the dash.
    m_control.Execute(QString(), QStringLiteral("GET"), QString(),
                      QStringLiteral("Range: bytes=0 - \r\n"));
    m_control.waitForAnswer();

    const int status = GetStatusCode(m_control.GetHeader());
    if (status != 200 && status != 206)
        return QString();
    const qint64 length = contentLength(m_control.GetHeader(QStringLiteral("Content-Length")));
    if (length == 0)
        return QString();

    QFile file;
    if (!openNewIconFile(file))
        return QString();

    qint64 received = 0;
    bool written = true;
    for (;;) {
        const QByteArray chunk = m_control.GetChunk(kChunkSize);
        if (chunk.isEmpty())
            break;
        if (file.write(chunk) != chunk.size()) {
            written = false;
            break;
        }
        received += chunk.size();
    }
    written = file.flush() && written;
    file.close();
    if (written && file.error() == QFileDevice::NoError && received == length)
        return file.fileName();

    // A short, long or torn icon is of no use to anyone: it goes.
    try {
        m_fs.deleteFile(file.fileName(), true);
    } catch (const NorvaleError&) {
    }
    return QString();
}

bool IconFetcher::openNewIconFile(QFile& file) const
{
    // A name of its own, opened only when no file has it yet: two downloads
    // never share a file, and a file is always written from empty.
    const QString folder = iconsFolder();
    const QString stamp = FileSystem::join(folder, TimeStampName(m_clock.now()));
    bool folderMade = false;
    int number = 1;
    while (number <= kMostNamesPerStamp) {
        file.setFileName(number == 1 ? stamp + QStringLiteral(".ico")
                                     : stamp + QLatin1Char('-') + QString::number(number) +
                                           QStringLiteral(".ico"));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        const QFileInfo taken(file.fileName());
        if (taken.exists() || taken.isSymLink()) {
            ++number;
            continue;
        }
        // Not there and not openable: the Icons folder is missing (make it
        // and try the same name again) or may not be written.
        if (folderMade || m_fs.folderExists(folder))
            return false;
        try {
            m_fs.makeFolder(folder);
        } catch (const NorvaleError& error) {
            // Another download may have made it in the meantime.
            if (error.number() != ErrorNumber::FileExists || !m_fs.folderExists(folder))
                return false;
        }
        folderMade = true;
    }
    return false;
}

} // namespace norvale
