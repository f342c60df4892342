#include "createsurvey.h"

#include "errortrap.h"
#include "fileroutines.h"
#include "offthread.h"
#include "pagefile.h"
#include "surveypage.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <optional>

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
        // A thousand faulty lines must not mean a thousand boxes to click away.
        if (m_reported == MaxReports) {
            if (m_leftOut++ == 0)
                m_leftOutLabel = label;
            return;
        }
        ++m_reported;
        // Naming the line saves the person a hunt through a long list of questions.
        m_trap.report(
            label,
            QStringLiteral("%1 (question line %2: %3)").arg(description).arg(lineNumber).arg(line));
    }

    // One last report for the faulty lines that were not reported one by one.
    void reportLeftOut() {
        if (m_leftOut > 0)
            m_trap.report(m_leftOutLabel,
                          QStringLiteral("%1 more question lines were left out for the same "
                                         "reasons; only the first %2 are reported one by one.")
                              .arg(m_leftOut)
                              .arg(MaxReports));
    }

private:
    static constexpr int MaxReports = 10;

    PageFile &m_file;
    ErrorTrap &m_trap;
    int m_reported = 0;
    qsizetype m_leftOut = 0;
    int m_leftOutLabel = 0;
};

bool isControlCharacter(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

// The first control character of the title, which no file name may hold.
std::optional<QChar> controlCharacterIn(const QString &title) {
    for (QChar c : title)
        if (isControlCharacter(c))
            return c;
    return std::nullopt;
}

// The title as a box can show it: control characters as their visible symbols.
QString visibleTitle(const QString &title) {
    constexpr qsizetype Shown = 200;
    QString shown = title.left(Shown);
    for (QChar &c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
        else if (isControlCharacter(c))
            c = QChar::ReplacementCharacter; // the C1 controls have no visible symbols
    }
    return title.size() > Shown ? shown + QChar(0x2026) : shown;
}

bool isRegularFile(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

CreateSurveyCommand::CreateSurveyCommand(Platform &platform)
    : m_platform(platform) {}

QString CreateSurveyCommand::pagePath(const SurveyFields &fields) {
    const QString base = fields.pageTitle.isEmpty() ? QStringLiteral("noname") : fields.pageTitle;
    return fields.outputFolder + base + QStringLiteral(".htm");
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

    if (!trap.test(104, [&] { return folderExists(fields.outputFolder); })) {
        trap.step(244, [&] {
            m_platform.showMessage(
                applicationTitle,
                QStringLiteral("Folder does not exist. Please select another folder."),
                Platform::Icon::None);
        });
        return;
    }

    // A title that cannot name a file is refused before anything is written.
    if (const std::optional<QChar> control = controlCharacterIn(fields.pageTitle)) {
        trap.step(122, [&] {
            throw RuntimeError(QStringLiteral("A file name cannot hold the control character "
                                              "U+%1 (page title: %2)")
                                   .arg(control->unicode(), 4, 16, QLatin1Char('0'))
                                   .arg(visibleTitle(fields.pageTitle)));
        });
        return;
    }

    QString picture;
    trap.step(108, [&] { picture = pictureName(fields.backgroundImage); });
    // Whatever the field names is tried when it is there, so that a picture that
    // cannot be copied (a folder, a FIFO, unreadable) is reported, not skipped.
    if (trap.test(110, [&] { return QFileInfo::exists(fields.backgroundImage); }))
        trap.step(112, [&] {
            // A picture of gigabytes must not freeze the window; a second click
            // meanwhile finds the command busy.
            if (m_waiting)
                m_waiting(true);
            const auto waited = qScopeGuard([this] {
                if (m_waiting)
                    m_waiting(false);
            });
            runOffTheEventThread(
                [&] { copyFileIntoFolder(fields.backgroundImage, fields.outputFolder + picture); });
        });

    QString path;
    trap.step(120, [&] { path = pagePath(fields); });

    // A page that cannot be made whole is reported once and nothing else follows:
    // no "Done." for an older page, which stays as it was.
    PageFile file(path);
    if (!trap.step(122, [&] { file.open(); }))
        return;
    TrappedPageOutput output(file, trap);
    const bool written =
        writeSurveyPage(output, fields, picture, [this] { return m_platform.now(); });
    output.reportLeftOut();
    if (!written)
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
