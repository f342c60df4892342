#include "createsurvey.h"

#include "errortrap.h"
#include "fileroutines.h"
#include "pagefile.h"
#include "surveypage.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace Velmora {

namespace {

// Sends the page lines to the file, each under its step's error trap.
class TrappedPageOutput : public PageOutput {
public:
    TrappedPageOutput(PageFile &file, ErrorTrap &trap)
        : m_file(file)
        , m_trap(trap) {}

    bool write(int label, const PageLine &line) override {
        return m_trap.step(label, [&] { m_file.appendLine(line.bytes()); });
    }

    void fault(int label, const QString &description, qsizetype lineNumber,
               QStringView line) override {
        // Naming the line saves the person a hunt through a long list of questions.
        m_trap.report(
            label,
            QStringLiteral("%1 (question line %2: %3)").arg(description).arg(lineNumber).arg(line));
    }

private:
    PageFile &m_file;
    ErrorTrap &m_trap;
};

bool isRegularFile(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

CreateSurveyCommand::CreateSurveyCommand(Platform &platform)
    : m_platform(platform) {}

QString CreateSurveyCommand::pagePath(const SurveyFields &fields) {
    const QString base = fields.PageTitle.isEmpty() ? QStringLiteral("noname") : fields.PageTitle;
    return fields.OutputFolder + base + QStringLiteral(".htm");
}

QString CreateSurveyCommand::pictureName(const QString &backgroundImage) {
    return backgroundImage.mid(backgroundImage.lastIndexOf(QLatin1Char('/')) + 1);
}

void CreateSurveyCommand::run(const SurveyFields &fields, const QString &applicationTitle) {
    ErrorTrap trap(m_platform, QStringLiteral("PushButton17_Click"));
    if (m_busy)
        return;
    m_busy = true;
    const auto notBusy = qScopeGuard([this] { m_busy = false; });

    if (!trap.test(104, [&] { return FolderExists(fields.OutputFolder); })) {
        trap.step(244, [&] {
            m_platform.showMessage(
                applicationTitle,
                QStringLiteral("Folder does not exist. Please select another folder."),
                Platform::Icon::None);
        });
        return;
    }

    QString picture;
    trap.step(108, [&] { picture = pictureName(fields.BackgroundImage); });
    if (trap.test(110, [&] { return isRegularFile(fields.BackgroundImage); }))
        trap.step(112,
                  [&] { CopyFileChecked(fields.BackgroundImage, fields.OutputFolder + picture); });

    QString path;
    trap.step(120, [&] { path = pagePath(fields); });

    // A page that cannot be made whole is reported once and nothing else follows:
    // no "Done." for an older page, which stays as it was.
    PageFile file(path);
    if (!trap.step(122, [&] { file.open(); }))
        return;
    TrappedPageOutput output(file, trap);
    if (!writeSurveyPage(output, fields, picture, [this] { return m_platform.now(); }))
        return;
    if (!trap.step(232, [&] { file.commit(); }))
        return;

    if (trap.test(234, [&] { return isRegularFile(path); })) {
        trap.step(240, [&] {
            m_platform.showMessage(applicationTitle, QStringLiteral("Done."), Platform::Icon::None);
        });
        trap.step(242, [&] { m_platform.openUrl(QUrl::fromLocalFile(path)); });
    }
}

} // namespace Velmora
