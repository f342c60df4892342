#pragma once

#include <QString>

namespace Velmora {

// The text of the "Help" button: the markers of the question language.
QString SyntaxHelpText();

} // namespace Velmora
