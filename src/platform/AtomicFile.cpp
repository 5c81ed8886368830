#include "AtomicFile.h"

#include "NorvaleError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace norvale {

namespace {

std::function<bool(const QString&)>& commitCheck()
{
    static std::function<bool(const QString&)> check;
    return check;
}

} // namespace

void SetAtomicCommitCheckForTesting(std::function<bool(const QString&)> check)
{
    commitCheck() = std::move(check);
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    QString problem;
    if (!file.open(QIODevice::WriteOnly)) {
        problem = file.errorString();
    } else if (file.write(bytes) != bytes.size()) {
        problem = file.errorString();
        file.cancelWriting();
        file.commit();
    } else if (commitCheck() && !commitCheck()(path)) {
        problem = QStringLiteral("the write was interrupted");
        file.cancelWriting();
        file.commit();
    } else if (!file.commit()) {
        problem = file.errorString();
    }
    if (problem.isEmpty())
        return;
    throw NorvaleError(
        ErrorNumber::PathFileAccess,
        QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), problem),
        QStringLiteral("AtomicFile"));
}

} // namespace norvale
