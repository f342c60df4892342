#pragma once

#include <QString>

#include <exception>

namespace Velmora {

// A failure inside a command step. The step's error trap shows it in the error
// report and the command goes on with its next step.
class RuntimeError : public std::exception {
public:
    explicit RuntimeError(QString description)
        : m_description(std::move(description)) {}

    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return "Velmora run-time error"; }

private:
    QString m_description;
};

// The run-time descriptions people know from the reports of earlier versions.
namespace ErrorText {
inline QString invalidProcedureCall() {
    return QStringLiteral("Invalid procedure call or argument");
}
inline QString invalidPicture() {
    return QStringLiteral("Invalid picture");
}
inline QString fileNotFound() {
    return QStringLiteral("File not found");
}
} // namespace ErrorText

} // namespace Velmora
