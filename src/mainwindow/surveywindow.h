#pragma once

#include "createsurvey.h"
#include "mousepointer.h"
#include "platform.h"
#include "settingsstore.h"

#include <QCursor>
#include <QWidget>

#include <optional>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace Velmora {

class MultiLineTextBox;
class QuestionsTextBox;

// The one window people work in: the survey fields, the five buttons, and the
// mirror of the kept fields in the settings store.
class SurveyWindow : public QWidget {
    Q_OBJECT

public:
    SurveyWindow(Platform &platform, SettingsStore &store, QWidget *parent = nullptr);

    // Start-up: the look, caption, icon, hand pointer, the occasional home page,
    // and the kept fields from the previous run. Runs before the window is shown.
    void startUp();

    const QString &applicationTitle() const { return m_applicationTitle; }
    MousePointer mousePointer() const { return m_pointer; }
    void setMousePointer(MousePointer pointer);
    SurveyFields surveyFields() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showSyntaxHelp();
    void chooseBackgroundPicture();
    void chooseOutputFolder();
    void loadSampleSurvey();
    void createSurvey();

    void createControls();
    void fill(QLineEdit *field, const QString &text);
    // The box shown when the last changes could not be saved; `keptIn` names the
    // file that holds them, when one could be written.
    QString unsavedChangesText(const QString &reason, const QString &keptIn) const;
    QString unsavedFieldsText() const;
    // Writes the kept fields into a file of their own; returns its path, or
    // nothing when no folder would take it.
    QString keepUnsavedChanges(const QString &reason) const;
    void keepInStore(QLineEdit *field, const QString &key);
    void keepInStore(MultiLineTextBox *field, const QString &key);
    template <typename Field> void restore(Field *field, const QString &key, const QString &text);
    void showCaption();

    Platform &m_platform;
    SettingsStore &m_store;
    CreateSurveyCommand m_createSurvey;
    QString m_applicationTitle = QStringLiteral("Velmora");
    MousePointer m_pointer = MousePointer::Default;
    MousePointer m_pointerBeforeWaiting = MousePointer::Default;
    std::optional<QCursor> m_mouseIcon;
    bool m_saveFailed = false;
    bool m_restoring = false; // start-up saves what it restores itself
    bool m_centred = false;

    QLineEdit *m_titleEdit = nullptr;
    QuestionsTextBox *m_questionsEdit = nullptr;
    QLineEdit *m_backgroundEdit = nullptr;
    QLineEdit *m_outputFolderEdit = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QLineEdit *m_emailEdit = nullptr;
    MultiLineTextBox *m_messageEdit = nullptr;
    QList<QGroupBox *> m_frames;
    QList<QPushButton *> m_buttons;
};

// Where the window's client area goes so that the whole framed window is centred
// within the available part of the screen, its title bar never outside it.
QPoint centredClientPosition(const QSize &client, const QMargins &frame, const QRect &available);

} // namespace Velmora
