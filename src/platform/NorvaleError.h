#pragma once

#include <exception>
#include <QString>

namespace norvale {

// Error numbers that callers branch on; the values are those the favorites'
// own platform used, so logs read the same everywhere.
namespace ErrorNumber {
constexpr int TypeMismatch = 13;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int FileExists = 58;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int ObjectNotSet = 91;
constexpr int InvalidFileFormat = 321;
constexpr int ObjectRequired = 424;
constexpr int KeyNotUnique = 35602;
} // namespace ErrorNumber

// The one exception type of the platform stand-ins: a number to branch on,
// a description for the user and the log, and the component that raised it.
class NorvaleError : public std::exception {
public:
    NorvaleError(int number, QString description, QString source)
        : m_number(number)
        , m_description(std::move(description))
        , m_source(std::move(source))
        , m_what(m_description.toUtf8())
    {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

} // namespace norvale
