#pragma once

#include <optional>
#include <QString>

namespace norvale {

// What the update document says, element by element. All five empty: no
// usable document was obtained.
struct UpdateInfo {
    QString Version;         // the newest version, e.g. "2.34"
    QString Update_Location; // where to get it; must be present, not used
    QString Current_Version; // notice for users of the newest version; must be present, not used
    QString New_Version;     // the notice when a newer version exists
    QString Common;          // the notice otherwise

    bool isEmpty() const
    {
        return Version.isEmpty() && Update_Location.isEmpty() && Current_Version.isEmpty() &&
               New_Version.isEmpty() && Common.isEmpty();
    }
};

// Takes the update document apart. Each element's value is the text between
// the first "<Name>" and the first "</Name>" (tags matched without regard to
// case), kept exactly as written. When an element lacks its opening or its
// closing tag, when the closing tag comes first, or when Version is not a
// number, the document is unusable and the empty record comes back.
UpdateInfo ReadUpdateDocument(const QString& text);

// A Version value read as a number: decimal digits with at most one ".",
// spaces and line breaks around them allowed. Nothing for anything else.
std::optional<float> ReadVersionNumber(const QString& value);

} // namespace norvale
