// Any bytes as a fetched document (status line, headers, blank line,
// page): every page-reading step runs without crashing.

#include "checker/PageReading.h"
#include "FuzzTarget.h"
#include "platform/TextDecoding.h"

using namespace norvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = DecodeUtf8OrWindows1252(fuzz::bytesOf(data, size));
    GetStatusCode(text);
    RefreshTarget(text, QStringLiteral("http://127.0.0.1/a/b?c"));
    PageDate(text);
    const QString title = FindTitle(text);
    const QString cleaned = CleanTitle(title);
    fuzz::require(cleaned.size() <= title.size(), "cleaning never lengthens a title");
    IsErrorTitle(cleaned);
    return 0;
}
