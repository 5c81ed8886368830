#pragma once

#include "platform/MessageBoxes.h"

namespace norvale {

// Shows boxes through the interactive implementation, except while the run
// is unattended: then the text goes to standard error and nothing waits.
class RoutedMessageBoxes : public MessageBoxes {
public:
    RoutedMessageBoxes(MessageBoxes& interactive, const bool& unattended)
        : m_interactive(interactive)
        , m_unattended(unattended)
    {}

    MessageAnswer show(const MessageRequest& request) override
    {
        return m_unattended ? m_console.show(request) : m_interactive.show(request);
    }

private:
    MessageBoxes& m_interactive;
    const bool& m_unattended;
    ConsoleMessageBoxes m_console;
};

} // namespace norvale
