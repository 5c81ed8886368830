#pragma once

#include <cstddef>
#include <cstdint>
#include <QByteArray>
#include <QString>

// Each fuzz target defines the libFuzzer entry point; the same function runs
// under libFuzzer (scripts/fuzz) and under ReplayMain, which feeds it the
// seed corpus as a test.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace norvale::fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A file path in a folder of its own that lives as long as the process.
QString scratchFile(const QString& name);

// Ends the run loudly when a promise of the code under test is broken.
void require(bool promise, const char* what);

} // namespace norvale::fuzz
