#pragma once

#include <Qt>

namespace norvale {

// Every dialog's frame: a title and a close button, never a maximise or a
// context-help button. Without CustomizeWindowHint some window managers add
// a maximise button to any dialog that can be resized.
inline constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

} // namespace norvale
