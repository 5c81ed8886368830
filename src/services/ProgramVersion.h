#pragma once

#include <QString>

namespace norvale {

// The program's major, minor and revision numbers.
struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;

    // The version this build carries (NORVALE_VERSION).
    static ProgramVersion current();
    // "major.minor.revision"; missing or unreadable parts count as 0.
    static ProgramVersion parse(const QString& text);

    friend bool operator==(const ProgramVersion&, const ProgramVersion&) = default;
};

// The version as the program writes it: major, ".", then minor and revision
// run together. 2.3.4 is "2.34", 2.3.0 is "2.30", 2.3.12 is "2.312".
QString VersionText(const ProgramVersion& version);

// VersionText read as a number, in the precision the update document's
// version is read in, so that equal texts compare equal.
float VersionNumber(const ProgramVersion& version);

} // namespace norvale
