#pragma once

#include <functional>
#include <QByteArray>
#include <QString>

namespace norvale {

// Every change the program makes to a file goes through here, so that a full
// disk, a failed copy or a killed process leaves either the old file or the
// complete new one, never a torn or empty one, and never loses a source.
//
// New bytes first go to a hidden temporary file of the program's own in the
// target's folder (see OwnTemporaryFiles.h); it is written, flushed to disk
// and its size checked, and only then renamed into place. Any failure
// removes the temporary file, leaves the target as it was and throws
// NorvaleError (61 for a full disk). A link is never written through: a
// target that is a link, or not a regular file, is refused (70).

// Replaces the file's contents with bytes, keeping its permissions; creates
// it when missing.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// Makes a new file holding bytes. It appears at path only whole: a kill
// at any moment leaves either nothing there or every byte (and at most a
// hidden temporary file that the next start removes). Never replaces
// anything: an entry already at path, even one made meanwhile, is an
// error (58).
void CreateFileAtomically(const QString& path, const QByteArray& bytes);

// Copies a regular file to target, with its permissions and modification
// time. An existing target is an error (58) unless overwrite is set, in
// which case it is replaced in one step.
void CopyFileAtomically(const QString& source, const QString& target, bool overwrite);

// Moves a regular file to target, which must not exist (58). On one file
// system this is a rename; across file systems the file is copied as above
// and the source removed only once the copy is in place. Whatever fails, the
// source stays as it was.
void MoveFileSafely(const QString& source, const QString& target);

// For tests: the steps of a write, copy or move where a fault can be made.
enum class FileStep {
    Create,       // the temporary file
    Write,        // its bytes
    Sync,         // flushing it to disk
    Rename,       // putting it (or a moved file) in place
    RemoveSource, // the end of a move across file systems
};

// For tests: called before each step with the target's path; a non-zero
// answer makes that step fail with that errno value. An empty function
// turns faults off.
void SetFileFaultForTesting(std::function<int(FileStep step, const QString& target)> fault);

} // namespace norvale
