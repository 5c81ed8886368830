// Any bytes as the update document: taking it apart never crashes, and a
// usable document has a Version that reads as a number.

#include "FuzzTarget.h"
#include "platform/TextDecoding.h"
#include "services/UpdateInfo.h"

using namespace norvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const UpdateInfo info = ReadUpdateDocument(DecodeUtf8OrWindows1252(fuzz::bytesOf(data, size)));
    fuzz::require(info.isEmpty() || ReadVersionNumber(info.Version).has_value(),
                  "a usable document has a version number");
    return 0;
}
