#include "surveywindow.h"

#include "appearance.h"
#include "buildconfig.h"
#include "choosers.h"
#include "durablefile.h"
#include "errortrap.h"
#include "fileroutines.h"
#include "multilinetextbox.h"
#include "questionstextbox.h"
#include "runtimeerror.h"
#include "samplesurvey.h"
#include "shellfolders.h"
#include "startup.h"
#include "syntaxhelp.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <limits>

namespace Velmora {

namespace {

const QString ProductName = QStringLiteral("Velmora");

// The window is designed in twips; at the standard density 15 make one pixel.
QRect twips(int left, int top, int width, int height) {
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0),
                 qRound(height / 15.0));
}

QFont arialBold(qreal pointSize) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

template <typename Control>
Control *place(Control *control, const char *name, const QRect &geometry) {
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

} // namespace

SurveyWindow::SurveyWindow(Platform &platform, SettingsStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , m_platform(platform)
    , m_store(store)
    , m_createSurvey(platform) {
    setObjectName(QStringLiteral("SurveyWindow"));
    setAttribute(Qt::WA_StyledBackground); // the style sheet paints the window's background
    setFont(arialBold(9));
    setFixedSize(twips(0, 0, 8040, 9105).size());
    createControls();

    m_createSurvey.setWaitingIndicator([this](bool waiting) {
        if (waiting) {
            m_pointerBeforeWaiting = m_pointer;
            setMousePointer(MousePointer::Wait);
        } else {
            setMousePointer(m_pointerBeforeWaiting);
        }
    });

    keepInStore(m_titleEdit, SettingKey::Title);
    keepInStore(m_questionsEdit, SettingKey::SurveyQuestions);
    keepInStore(m_backgroundEdit, SettingKey::Background);
    keepInStore(m_outputFolderEdit, SettingKey::OutputFolder);
    keepInStore(m_messageEdit, SettingKey::Message);
    // A failed save must not interrupt typing: the caption says so until a later
    // save reaches the disk again.
    connect(&m_store, &SettingsStore::writesFailingChanged, this, [this](bool failing) {
        m_saveFailed = failing;
        showCaption();
    });
}

void SurveyWindow::createControls() {
    auto button = [this](const char *name, const QString &caption, QWidget *container,
                         const QRect &geometry, void (SurveyWindow::*handler)()) {
        auto *control = place(new QPushButton(caption, container), name, geometry);
        control->setFont(arialBold(11.25));
        control->setAutoDefault(false);
        connect(control, &QPushButton::clicked, this, handler);
        m_buttons.append(control);
        return control;
    };
    auto frame = [this](const char *name, const QString &caption, const QRect &geometry) {
        auto *control = place(new QGroupBox(caption, this), name, geometry);
        control->setFocusPolicy(Qt::NoFocus);
        m_frames.append(control);
        return control;
    };
    auto lineBox = [](const char *name, QWidget *container, const QRect &geometry) {
        auto *box = place(new QLineEdit(container), name, geometry);
        box->setMaxLength(std::numeric_limits<int>::max()); // a title may be long; none is cut
        return box;
    };

    auto *helpButton = button("helpButton", QStringLiteral("Help"), this,
                              twips(120, 120, 3840, 405), &SurveyWindow::showSyntaxHelp);
    auto *sampleButton = button("sampleButton", QStringLiteral("Load Sample/Example Survey"), this,
                                twips(4080, 120, 3840, 405), &SurveyWindow::loadSampleSurvey);
    auto *titleFrame =
        frame("titleFrame", QStringLiteral("Page Title"), twips(120, 600, 7800, 820));
    m_titleEdit = lineBox("titleEdit", titleFrame, twips(180, 300, 7420, 345));
    auto *nameFrame = frame("nameFrame", QStringLiteral("Name"), twips(120, 1485, 7800, 820));
    m_nameEdit = lineBox("nameEdit", nameFrame, twips(180, 300, 7420, 345));
    auto *emailFrame = frame("emailFrame", QStringLiteral("Email"), twips(120, 2400, 7800, 820));
    m_emailEdit = lineBox("emailEdit", emailFrame, twips(180, 300, 7420, 345));
    m_questionsEdit =
        place(new QuestionsTextBox(this), "questionsEdit", twips(120, 3360, 7800, 1995));
    auto *backgroundFrame =
        frame("backgroundFrame", QStringLiteral("Background Image"), twips(120, 5415, 7800, 820));
    m_backgroundEdit = lineBox("backgroundEdit", backgroundFrame, twips(180, 300, 6660, 345));
    auto *backgroundButton =
        button("backgroundButton", QStringLiteral("..."), backgroundFrame,
               twips(6960, 300, 600, 345), &SurveyWindow::chooseBackgroundPicture);
    auto *messageFrame =
        frame("messageFrame", QStringLiteral("Message"), twips(120, 6315, 7800, 1240));
    m_messageEdit =
        place(new MultiLineTextBox(messageFrame), "messageEdit", twips(180, 300, 7420, 750));
    auto *outputFolderFrame =
        frame("outputFolderFrame", QStringLiteral("Save Results To This Folder"),
              twips(120, 7635, 7800, 820));
    m_outputFolderEdit = lineBox("outputFolderEdit", outputFolderFrame, twips(180, 300, 6660, 345));
    auto *outputFolderButton =
        button("outputFolderButton", QStringLiteral("..."), outputFolderFrame,
               twips(6960, 300, 600, 345), &SurveyWindow::chooseOutputFolder);
    auto *createButton = button("createButton", QStringLiteral("Start Creating Survey"), this,
                                twips(120, 8580, 7800, 405), &SurveyWindow::createSurvey);

    // A screen reader names every control by what it is for, not by "...";
    // the other buttons are named by their captions.
    const QList<std::pair<QWidget *, QString>> names{
        {m_titleEdit, QStringLiteral("Page Title")},
        {m_nameEdit, QStringLiteral("Name")},
        {m_emailEdit, QStringLiteral("Email")},
        {m_backgroundEdit, QStringLiteral("Background Image")},
        {m_outputFolderEdit, QStringLiteral("Save Results To This Folder")},
        {m_messageEdit, QStringLiteral("Message")},
        {backgroundButton, QStringLiteral("Choose Background Image")},
        {outputFolderButton, QStringLiteral("Choose Folder To Save Results")}};
    for (const auto &[control, name] : names)
        control->setAccessibleName(name);
    // The page fills each respondent's boxes with these: organisers who take
    // them for their own contact details must learn it before the first
    // answer arrives under their name.
    const QList<std::pair<QWidget *, QString>> prefilled{
        {m_nameEdit, QStringLiteral("The page fills in every respondent's Name box with this "
                                    "name, for them to keep or change. Leave it empty to let "
                                    "respondents type their own.")},
        {m_emailEdit, QStringLiteral("The page fills in every respondent's E-mail box with this "
                                     "address, for them to keep or change. Leave it empty to let "
                                     "respondents type their own.")}};
    for (const auto &[control, description] : prefilled) {
        control->setAccessibleDescription(description);
        control->setToolTip(description);
    }

    const QList<QWidget *> tabOrder{m_questionsEdit,    createButton,       helpButton,
                                    m_titleEdit,        m_nameEdit,         m_emailEdit,
                                    m_outputFolderEdit, outputFolderButton, m_messageEdit,
                                    m_backgroundEdit,   backgroundButton,   sampleButton};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    m_questionsEdit->setFocus();

    // The hover rule: the hand over the buttons, the default pointer over the
    // window, its frames and the title and question boxes.
    QList<QWidget *> hovered{this, m_titleEdit, m_questionsEdit->viewport()};
    hovered += QList<QWidget *>(m_frames.cbegin(), m_frames.cend());
    hovered += QList<QWidget *>(m_buttons.cbegin(), m_buttons.cend());
    for (QWidget *widget : hovered) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
}

void SurveyWindow::keepInStore(QLineEdit *field, const QString &key) {
    connect(field, &QLineEdit::textChanged, this, [this, key](const QString &text) {
        if (!m_restoring)
            m_store.save(key, text);
    });
}

void SurveyWindow::keepInStore(MultiLineTextBox *field, const QString &key) {
    connect(field, &MultiLineTextBox::changed, this, [this, field, key] {
        if (!m_restoring)
            m_store.save(key, field->text());
    });
}

void SurveyWindow::showCaption() {
    setWindowTitle(m_saveFailed ? ProductName + QStringLiteral(" (changes are not being saved)")
                                : ProductName);
}

void SurveyWindow::startUp() {
    ErrorTrap trap(m_platform, QStringLiteral("Form_Load"));
    const QString programFolder = m_platform.programFolder();
    trap.step(100, [&] {
        if (!applySkin(*this, programFolder))
            applyPlainLook(*this);
    });
    trap.step(106, [&] {
        showCaption();
        setWindowIcon(programIcon());
        m_applicationTitle = deriveApplicationTitle(ProductName);
    });
    const QString cursorFile = programFolder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(108, [&] { return fileExistsByDate(cursorFile); }))
        trap.step(110, [&] { m_mouseIcon = loadCursorFile(cursorFile, devicePixelRatioF()); });
    trap.step(112,
              [&] { openHomePageSometimes(m_platform, QLatin1String(BuildConfig::HomePage)); });

    trap.step(130,
              [&] { restore(m_titleEdit, SettingKey::Title, m_store.value(SettingKey::Title)); });
    trap.step(132, [&] {
        restore(m_questionsEdit, SettingKey::SurveyQuestions,
                m_store.value(SettingKey::SurveyQuestions));
    });
    trap.step(134, [&] {
        restore(m_backgroundEdit, SettingKey::Background, m_store.value(SettingKey::Background));
    });
    trap.step(136, [&] {
        restore(m_outputFolderEdit, SettingKey::OutputFolder,
                m_store.value(SettingKey::OutputFolder, desktopFolderWithSeparator(m_platform)));
    });
    trap.step(138, [&] {
        restore(m_messageEdit, SettingKey::Message, m_store.value(SettingKey::Message));
    });
}

template <typename Field>
void SurveyWindow::restore(Field *field, const QString &key, const QString &text) {
    // Each restored value is saved back at once, but only where the file still
    // holds what was read: another copy may have saved a keystroke since.
    {
        const QScopedValueRollback restoring(m_restoring, true);
        field->setText(text);
    }
    m_store.saveRestored(key, text);
}

void SurveyWindow::setMousePointer(MousePointer pointer) {
    m_pointer = pointer;
    switch (pointer) {
    case MousePointer::Default:
        unsetCursor();
        break;
    case MousePointer::Wait:
        setCursor(Qt::WaitCursor);
        break;
    case MousePointer::Custom:
        setCursor(m_mouseIcon.value_or(QCursor(Qt::ArrowCursor)));
        break;
    }
}

SurveyFields SurveyWindow::surveyFields() const {
    return {m_titleEdit->text(),        m_questionsEdit->text(), m_backgroundEdit->text(),
            m_outputFolderEdit->text(), m_nameEdit->text(),      m_emailEdit->text(),
            m_messageEdit->text()};
}

bool SurveyWindow::eventFilter(QObject *watched, QEvent *event) {
    // Enter on a focused button presses it, as everywhere else on the desktop;
    // the window still has no default button that Enter in a text box would press.
    if (event->type() == QEvent::KeyPress) {
        auto *button = qobject_cast<QPushButton *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            button->click();
            return true;
        }
    }
    // A move over a child reaches its parents too; only the widget the pointer is
    // really over decides, and some children (the other text boxes) have no rule.
    const bool overChild = event->type() == QEvent::MouseMove &&
                           static_cast<QWidget *>(watched)->childAt(
                               static_cast<QMouseEvent *>(event)->position().toPoint());
    if ((event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) && !overChild &&
        m_pointer != MousePointer::Wait) {
        const bool overButton = m_buttons.contains(qobject_cast<QPushButton *>(watched));
        setMousePointer(overButton ? MousePointer::Custom : MousePointer::Default);
    }
    return QWidget::eventFilter(watched, event);
}

void SurveyWindow::closeEvent(QCloseEvent *event) {
    // The store already holds every field unless saving has been failing: then
    // one last try, and if that fails too the texts go into a file of their own
    // where the person will find them, and the box shows them to copy. A kill or
    // a logout shows no box: the file and the log line are what is left.
    if (!m_store.flush()) {
        const QString reason = m_store.lastError();
        const QString kept = keepUnsavedChanges(reason);
        if (kept.isEmpty())
            qWarning().noquote() << "The last changes could not be saved:" << reason;
        else
            qWarning().noquote() << "The last changes could not be saved:" << reason
                                 << "\nThey are kept in" << kept;
        m_platform.showMessage(m_applicationTitle, unsavedChangesText(reason, kept),
                               Platform::Icon::Warning);
    }
    // A run of "Start Creating Survey" still copying a picture finishes its
    // files, but says "Done." to nobody and opens nothing.
    m_platform.endSession();
    QWidget::closeEvent(event);
}

QString SurveyWindow::keepUnsavedChanges(const QString &reason) const {
    const QString name = QStringLiteral("Velmora unsaved changes %1.txt")
                             .arg(m_platform.now().toString(QStringLiteral("yyyy-MM-dd HHmmss")));
    const QByteArray text = QStringLiteral("Velmora could not save these texts: %1\r\n\r\n%2")
                                .arg(reason, unsavedFieldsText())
                                .toUtf8();
    // The settings folder is what failed; the desktop and the home folder are
    // where people look, the temporary folder the last resort.
    for (const QString &folder : {m_platform.desktopFolder(), QDir::homePath(), QDir::tempPath()}) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir(folder).filePath(name);
        try {
            writeFileDurably(path, text, 0600);
            return path;
        } catch (const RuntimeError &) {
        }
    }
    return {};
}

QString SurveyWindow::unsavedChangesText(const QString &reason, const QString &keptIn) const {
    QString text = QStringLiteral("The last changes could not be saved: %1\r\n").arg(reason);
    if (!keptIn.isEmpty())
        text += QStringLiteral("They are kept in %1.\r\n").arg(keptIn);
    return text + QStringLiteral("Copy them with Ctrl+C before closing this box.\r\n\r\n") +
           unsavedFieldsText();
}

QString SurveyWindow::unsavedFieldsText() const {
    const SurveyFields fields = surveyFields();
    const QList<std::pair<QString, QString>> kept{
        {QStringLiteral("Page Title"), fields.pageTitle},
        {QStringLiteral("Questions"), fields.surveyQuestions},
        {QStringLiteral("Background Image"), fields.backgroundImage},
        {QStringLiteral("Save Results To This Folder"), fields.outputFolder},
        {QStringLiteral("Message"), fields.message}};
    QStringList sections;
    for (const auto &[caption, value] : kept)
        sections.append(QStringLiteral("--- %1 ---\r\n%2").arg(caption, value));
    return sections.join(QStringLiteral("\r\n\r\n"));
}

void SurveyWindow::showEvent(QShowEvent *event) {
    // Qt's own title bar on Wayland offers maximise even to a fixed-size window,
    // and a maximised configure that a fixed maximum keeps the window from taking
    // is a protocol error that ends the program. Without that maximum the window
    // takes it, and changeEvent() turns the state back at once.
    if (QGuiApplication::platformName() == QLatin1String("wayland") && windowHandle())
        windowHandle()->setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    if (!m_centred && screen()) {
        m_centred = true;
        // Before the window manager has framed the window its frame is not known
        // yet: a title bar is assumed, so that it never lands above the screen.
        QMargins frame(geometry().left() - frameGeometry().left(),
                       geometry().top() - frameGeometry().top(),
                       frameGeometry().right() - geometry().right(),
                       frameGeometry().bottom() - geometry().bottom());
        if (frame.isNull())
            frame = QMargins(1, 30, 1, 1);
        move(centredClientPosition(size(), frame, screen()->availableGeometry()));
    }
    QWidget::showEvent(event);
}

void SurveyWindow::changeEvent(QEvent *event) {
    // The window has one size: it is neither maximised nor put full screen,
    // whatever asks for it (a title-bar button, a key of the window manager).
    if (event->type() == QEvent::WindowStateChange &&
        (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        });
    QWidget::changeEvent(event);
}

QPoint centredClientPosition(const QSize &client, const QMargins &frame, const QRect &available) {
    const QSize whole = client.grownBy(frame);
    QPoint topLeft(available.left() + (available.width() - whole.width()) / 2,
                   available.top() + (available.height() - whole.height()) / 2);
    // Too large for the screen: the title bar stays on it, the bottom goes off.
    topLeft.setX(std::max(topLeft.x(), available.left()));
    topLeft.setY(std::max(topLeft.y(), available.top()));
    return topLeft + QPoint(frame.left(), frame.top());
}

void SurveyWindow::showSyntaxHelp() {
    ErrorTrap trap(m_platform, QStringLiteral("PushButton1_Click"));
    trap.step(100, [&] {
        m_platform.showMessage(m_applicationTitle, SyntaxHelpText(), Platform::Icon::None);
    });
}

void SurveyWindow::fill(QLineEdit *field, const QString &text) {
    // One edit that Ctrl+Z takes back, unlike setText(), which forgets the
    // person's own text for good.
    field->selectAll();
    field->insert(text);
    // The line edit adds what is typed next to the same undo step unless the
    // cursor moved in between: a move closes the fill's step.
    const int end = field->cursorPosition();
    field->setCursorPosition(end == 0 ? 1 : 0);
    field->setCursorPosition(end);
}

void SurveyWindow::chooseBackgroundPicture() {
    Velmora::chooseBackgroundPicture(
        m_platform, m_backgroundEdit->text(),
        [this](const QString &path) { fill(m_backgroundEdit, path); },
        [this](MousePointer pointer) { setMousePointer(pointer); });
}

void SurveyWindow::chooseOutputFolder() {
    Velmora::chooseOutputFolder(
        m_platform,
        [this] {
            // Without a folder stored for the dialog, it opens where the survey goes now.
            const QString last = m_store.value(SettingKey::LastFolderDot);
            return last.isEmpty() ? m_outputFolderEdit->text() : last;
        },
        [this](const QString &folder) { fill(m_outputFolderEdit, folder); },
        [this](MousePointer pointer) { setMousePointer(pointer); });
}

void SurveyWindow::loadSampleSurvey() {
    Velmora::loadSampleSurvey(m_platform,
                              {[this](const QString &t) { fill(m_titleEdit, t); },
                               [this](const QString &t) { m_questionsEdit->replaceText(t); },
                               [this](const QString &t) { fill(m_backgroundEdit, t); },
                               [this](const QString &t) { fill(m_outputFolderEdit, t); },
                               [this](const QString &t) { m_messageEdit->replaceText(t); }});
}

void SurveyWindow::createSurvey() {
    m_createSurvey.run(surveyFields(), m_applicationTitle);
}

} // namespace Velmora
