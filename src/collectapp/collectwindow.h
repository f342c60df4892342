#pragma once

#include "collectoptions.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QGridLayout;
class QLabel;
class QVBoxLayout;

namespace Velmora {

class CollectSession;

// The collector for people who start it from the desktop: the folder (and a
// button to choose another), each address to give respondents with its QR code,
// each survey with its live count of answers and buttons that open its summary
// and answers file, and a button to stop. Closing the window stops collecting.
class CollectWindow : public QWidget {
    Q_OBJECT

public:
    explicit CollectWindow(CollectOptions options, QWidget *parent = nullptr);
    ~CollectWindow() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void startCollecting();
    void chooseFolder();
    void showAddresses();
    void refreshSurveys();
    // In the organiser's browser: from the folder, or the results link when
    // a database counts it.
    void openSummary(const QString &pageFile);

    CollectOptions m_options;
    std::unique_ptr<CollectSession> m_session;
    QLabel *m_folder = nullptr;
    QLabel *m_status = nullptr;
    QString m_cannotStore;        // why answers cannot be stored, as shown
    QLabel *m_activity = nullptr; // the latest line of the log: an answer, or why one was not saved
    QGridLayout *m_addresses = nullptr;
    QGridLayout *m_surveys = nullptr;
    QTimer m_refresh;
};

} // namespace Velmora
