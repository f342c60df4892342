#include "syntaxhelp.h"

namespace Velmora {

QString SyntaxHelpText() {
    return QStringLiteral("[r] - Radio button\r\n"
                          "[c] - PushButtonbox button\r\n"
                          "[s] - Textbox\r\n"
                          "[l] - Text Area");
}

} // namespace Velmora
