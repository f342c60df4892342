#include "form1.h"

#include "appearance.h"
#include "buildconfig.h"
#include "choosers.h"
#include "errortrap.h"
#include "fileroutines.h"
#include "multilinetextbox.h"
#include "questionstextbox.h"
#include "samplesurvey.h"
#include "shellfolders.h"
#include "startup.h"
#include "syntaxhelp.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
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

Form1::Form1(Platform &platform, SettingsStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint)
    , m_platform(platform)
    , m_store(store)
    , m_createSurvey(platform) {
    setObjectName(QStringLiteral("Form1"));
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

    keepInStore(Text1, SettingKey::Title);
    keepInStore(Text2, SettingKey::SurveyQuestions);
    keepInStore(Text3, SettingKey::Background);
    keepInStore(Text4, SettingKey::OutputFolder);
    keepInStore(Text7, SettingKey::Message);
    // A failed save must not interrupt typing: the caption says so until a later
    // save reaches the disk again.
    connect(&m_store, &SettingsStore::writesFailingChanged, this, [this](bool failing) {
        m_saveFailed = failing;
        showCaption();
    });
}

void Form1::createControls() {
    auto button = [this](const char *name, const QString &caption, QWidget *container,
                         const QRect &geometry, void (Form1::*handler)()) {
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

    auto *PushButton1 = button("PushButton1", QStringLiteral("Help"), this,
                               twips(120, 120, 3840, 405), &Form1::PushButton1_Click);
    auto *PushButton4 = button("PushButton4", QStringLiteral("Load Sample/Example Survey"), this,
                               twips(4080, 120, 3840, 405), &Form1::PushButton4_Click);
    auto *Frame1 = frame("Frame1", QStringLiteral("Page Title"), twips(120, 600, 7800, 820));
    Text1 = lineBox("Text1", Frame1, twips(180, 300, 7420, 345));
    auto *Frame2 = frame("Frame2", QStringLiteral("Name"), twips(120, 1485, 7800, 820));
    Text5 = lineBox("Text5", Frame2, twips(180, 300, 7420, 345));
    auto *Frame3 = frame("Frame3", QStringLiteral("Email"), twips(120, 2400, 7800, 820));
    Text6 = lineBox("Text6", Frame3, twips(180, 300, 7420, 345));
    Text2 = place(new QuestionsTextBox(this), "Text2", twips(120, 3360, 7800, 1995));
    auto *Frame4 = frame("Frame4", QStringLiteral("Background Image"), twips(120, 5415, 7800, 820));
    Text3 = lineBox("Text3", Frame4, twips(180, 300, 6660, 345));
    auto *PushButton2 = button("PushButton2", QStringLiteral("..."), Frame4,
                               twips(6960, 300, 600, 345), &Form1::PushButton2_Click);
    auto *Frame5 = frame("Frame5", QStringLiteral("Message"), twips(120, 6315, 7800, 1240));
    Text7 = place(new MultiLineTextBox(Frame5), "Text7", twips(180, 300, 7420, 750));
    auto *Frame6 =
        frame("Frame6", QStringLiteral("Save Results To This Folder"), twips(120, 7635, 7800, 820));
    Text4 = lineBox("Text4", Frame6, twips(180, 300, 6660, 345));
    auto *PushButton3 = button("PushButton3", QStringLiteral("..."), Frame6,
                               twips(6960, 300, 600, 345), &Form1::PushButton3_Click);
    auto *PushButton17 = button("PushButton17", QStringLiteral("Start Creating Survey"), this,
                                twips(120, 8580, 7800, 405), &Form1::PushButton17_Click);

    // A screen reader names every control by what it is for, not by "...";
    // the other buttons are named by their captions.
    const QList<std::pair<QWidget *, QString>> names{
        {Text1, QStringLiteral("Page Title")},
        {Text5, QStringLiteral("Name")},
        {Text6, QStringLiteral("Email")},
        {Text3, QStringLiteral("Background Image")},
        {Text4, QStringLiteral("Save Results To This Folder")},
        {Text7, QStringLiteral("Message")},
        {PushButton2, QStringLiteral("Choose Background Image")},
        {PushButton3, QStringLiteral("Choose Folder To Save Results")}};
    for (const auto &[control, name] : names)
        control->setAccessibleName(name);

    const QList<QWidget *> tabOrder{Text2, PushButton17, PushButton1, Text1,
                                    Text5, Text6,        Text4,       PushButton3,
                                    Text7, Text3,        PushButton2, PushButton4};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Text2->setFocus();

    // The hover rule: the hand over the buttons, the default pointer over the
    // window, its frames and the title and question boxes.
    QList<QWidget *> hovered{this, Text1, Text2->viewport()};
    hovered += QList<QWidget *>(m_frames.cbegin(), m_frames.cend());
    hovered += QList<QWidget *>(m_buttons.cbegin(), m_buttons.cend());
    for (QWidget *widget : hovered) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
}

void Form1::keepInStore(QLineEdit *field, const QString &key) {
    connect(field, &QLineEdit::textChanged, this,
            [this, key](const QString &text) { m_store.SaveSetting(key, text); });
}

void Form1::keepInStore(MultiLineTextBox *field, const QString &key) {
    connect(field, &MultiLineTextBox::changed, this,
            [this, field, key] { m_store.SaveSetting(key, field->text()); });
}

void Form1::showCaption() {
    setWindowTitle(m_saveFailed ? ProductName + QStringLiteral(" (changes are not being saved)")
                                : ProductName);
}

void Form1::Form_Load() {
    ErrorTrap trap(m_platform, QStringLiteral("Form_Load"));
    const QString programFolder = m_platform.programFolder();
    trap.step(100, [&] {
        if (!ApplySkin(*this, programFolder))
            ApplyPlainLook(*this);
    });
    trap.step(106, [&] {
        showCaption();
        setWindowIcon(WindowIcon());
        m_applicationTitle = DeriveApplicationTitle(ProductName);
    });
    const QString cursorFile = programFolder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(108, [&] { return FileExistsByDate(cursorFile); }))
        trap.step(110, [&] { m_mouseIcon = LoadCursorFile(cursorFile, devicePixelRatioF()); });
    trap.step(112, [&] { OpenHomePage(m_platform, QLatin1String(BuildConfig::HomePage)); });

    trap.step(130,
              [&] { restore(Text1, SettingKey::Title, m_store.GetSetting(SettingKey::Title)); });
    trap.step(132, [&] {
        restore(Text2, SettingKey::SurveyQuestions,
                m_store.GetSetting(SettingKey::SurveyQuestions));
    });
    trap.step(134, [&] {
        restore(Text3, SettingKey::Background, m_store.GetSetting(SettingKey::Background));
    });
    trap.step(136, [&] {
        restore(Text4, SettingKey::OutputFolder,
                m_store.GetSetting(SettingKey::OutputFolder, Main::GetDesktopFolder(m_platform)));
    });
    trap.step(
        138, [&] { restore(Text7, SettingKey::Message, m_store.GetSetting(SettingKey::Message)); });
}

template <typename Field>
void Form1::restore(Field *field, const QString &key, const QString &text) {
    // Each restored value is saved back at once. The change rule does that for a
    // field whose text changes; one that already holds the text sees no change.
    if (field->text() == text)
        m_store.SaveSetting(key, text);
    else
        field->setText(text);
}

void Form1::setMousePointer(MousePointer pointer) {
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

SurveyFields Form1::surveyFields() const {
    return {Text1->text(), Text2->text(), Text3->text(), Text4->text(),
            Text5->text(), Text6->text(), Text7->text()};
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
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

void Form1::closeEvent(QCloseEvent *event) {
    // The store already holds every field unless saving has been failing: then
    // one last try, and if that fails too the person gets the texts to copy.
    if (!m_store.flush())
        m_platform.showMessage(m_applicationTitle, unsavedChangesText(m_store.lastError()),
                               Platform::Icon::Warning);
    QWidget::closeEvent(event);
}

QString Form1::unsavedChangesText(const QString &reason) const {
    const SurveyFields fields = surveyFields();
    const QList<std::pair<QString, QString>> kept{
        {QStringLiteral("Page Title"), fields.PageTitle},
        {QStringLiteral("Questions"), fields.SurveyQuestions},
        {QStringLiteral("Background Image"), fields.BackgroundImage},
        {QStringLiteral("Save Results To This Folder"), fields.OutputFolder},
        {QStringLiteral("Message"), fields.Message}};
    QString text = QStringLiteral("The last changes could not be saved: %1\r\n"
                                  "Copy them with Ctrl+C before closing this box.")
                       .arg(reason);
    for (const auto &[caption, value] : kept)
        text += QStringLiteral("\r\n\r\n--- %1 ---\r\n%2").arg(caption, value);
    return text;
}

void Form1::showEvent(QShowEvent *event) {
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

void Form1::changeEvent(QEvent *event) {
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

void Form1::PushButton1_Click() {
    ErrorTrap trap(m_platform, QStringLiteral("PushButton1_Click"));
    trap.step(100, [&] {
        m_platform.showMessage(m_applicationTitle, SyntaxHelpText(), Platform::Icon::None);
    });
}

void Form1::fill(QLineEdit *field, const QString &text) {
    // One edit that Ctrl+Z takes back, unlike setText(), which forgets the
    // person's own text for good.
    field->selectAll();
    field->insert(text);
}

void Form1::PushButton2_Click() {
    Velmora::PushButton2_Click(
        m_platform, Text3->text(), [this](const QString &path) { fill(Text3, path); },
        [this](MousePointer pointer) { setMousePointer(pointer); });
}

void Form1::PushButton3_Click() {
    Velmora::PushButton3_Click(
        m_platform, [this] { return m_store.GetSetting(SettingKey::LastFolderDot); },
        [this](const QString &folder) { fill(Text4, folder); },
        [this](MousePointer pointer) { setMousePointer(pointer); });
}

void Form1::PushButton4_Click() {
    Velmora::PushButton4_Click(m_platform, {[this](const QString &t) { fill(Text1, t); },
                                            [this](const QString &t) { Text2->replaceText(t); },
                                            [this](const QString &t) { fill(Text3, t); },
                                            [this](const QString &t) { fill(Text4, t); },
                                            [this](const QString &t) { Text7->replaceText(t); }});
}

void Form1::PushButton17_Click() {
    m_createSurvey.run(surveyFields(), m_applicationTitle);
}

} // namespace Velmora
