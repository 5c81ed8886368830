#pragma once

#include <QStringList>

namespace norvale {

// Starts another process of this program with the arguments, which runs on
// its own; false when it could not be started.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    virtual bool startProgram(const QStringList& arguments) = 0;
};

} // namespace norvale
