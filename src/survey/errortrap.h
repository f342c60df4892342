#pragma once

#include "platform.h"
#include "runtimeerror.h"

#include <QString>

#include <exception>
#include <new>
#include <utility>

namespace Velmora {

// Runs the numbered steps of one command procedure. A step that fails is shown in
// the error report under its line label, and the procedure carries on with the
// next step: a command never stops half-way without saying so.
class ErrorTrap {
public:
    ErrorTrap(Platform &platform, QString procedure);

    // Runs one step; false when it failed (and was reported).
    template <typename Step> bool step(int label, Step &&action) {
        try {
            std::forward<Step>(action)();
            return true;
        } catch (const RuntimeError &error) {
            report(label, error.description());
        } catch (const std::bad_alloc &) {
            report(label, QStringLiteral("Out of memory"));
        } catch (const std::exception &error) {
            report(label, QString::fromLocal8Bit(error.what()));
        }
        return false;
    }

    // Evaluates the test of a conditional step. A test that fails is reported and
    // counts as true, so the steps it guards still run.
    template <typename Test> bool test(int label, Test &&condition) {
        bool result = true;
        step(label, [&] { result = std::forward<Test>(condition)(); });
        return result;
    }

    void report(int label, const QString &description);

    static QString reportText(const QString &procedure, int label, const QString &description);
    static QString caption();

private:
    Platform &m_platform;
    QString m_procedure;
};

} // namespace Velmora
