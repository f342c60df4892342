#pragma once

namespace Velmora {

// The pointer the main window shows over itself and its buttons.
enum class MousePointer {
    Default = 0,
    Wait = 11,
    Custom = 99, // the hand pointer, when one was loaded
};

} // namespace Velmora
