#pragma once

#include "platform/NorvaleError.h"

namespace norvale::test {

// Runs call and gives the number of the NorvaleError it throws (0 when none).
template <typename Call> int errorOf(Call&& call)
{
    try {
        call();
    } catch (const NorvaleError& error) {
        return error.number();
    }
    return 0;
}

} // namespace norvale::test
