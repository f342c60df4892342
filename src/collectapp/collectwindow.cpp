#include "collectwindow.h"

#include "collectsession.h"
#include "qrcode.h"
#include "summary.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace Velmora {

namespace {

QLabel *heading(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    label->setFont(font);
    return label;
}

QPushButton *button(const QString &caption, const QString &accessibleName, QWidget *parent) {
    auto *control = new QPushButton(caption, parent);
    control->setAccessibleName(accessibleName);
    control->setAutoDefault(true); // Enter on a focused button presses it
    return control;
}

void clear(QGridLayout *grid) {
    while (QLayoutItem *item = grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void openFile(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

CollectWindow::CollectWindow(CollectOptions options, QWidget *parent)
    : QWidget(parent)
    , m_options(std::move(options)) {
    setWindowTitle(QStringLiteral("Velmora: Collect Answers"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("example.kestrand.Velmora")));
    auto *layout = new QVBoxLayout(this);

    layout->addWidget(heading(QStringLiteral("Survey folder"), this));
    auto *folderRow = new QHBoxLayout;
    m_folder = new QLabel(this);
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_folder->setWordWrap(true);
    auto *choose = button(QStringLiteral("Choose Folder..."),
                          QStringLiteral("Choose another survey folder"), this);
    connect(choose, &QPushButton::clicked, this, &CollectWindow::chooseFolder);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(choose);
    layout->addLayout(folderRow);

    layout->addWidget(heading(QStringLiteral("Give respondents this address"), this));
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    m_addresses = new QGridLayout;
    layout->addLayout(m_addresses);

    layout->addWidget(heading(QStringLiteral("Surveys"), this));
    m_surveys = new QGridLayout;
    layout->addLayout(m_surveys);
    m_activity = new QLabel(this);
    m_activity->setWordWrap(true);
    m_activity->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_activity->setAccessibleName(QStringLiteral("Latest activity"));
    layout->addWidget(m_activity);
    layout->addStretch(1);

    auto *stop = button(QStringLiteral("Stop Collecting"),
                        QStringLiteral("Stop collecting and close"), this);
    connect(stop, &QPushButton::clicked, this, &QWidget::close);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(stop);
    layout->addLayout(bottom);

    m_refresh.setInterval(1000);
    connect(&m_refresh, &QTimer::timeout, this, &CollectWindow::refreshSurveys);
    startCollecting();
}

CollectWindow::~CollectWindow() = default;

void CollectWindow::startCollecting() {
    m_refresh.stop();
    m_session.reset(); // stops the one before, with its last summaries
    m_session = std::make_unique<CollectSession>(m_options);
    m_cannotStore.clear();
    m_folder->setText(m_session->folder());
    m_activity->clear();
    connect(m_session.get(), &CollectSession::logLine, m_activity, &QLabel::setText);
    QString error;
    if (!m_session->start(&error)) {
        m_status->setText(QStringLiteral("Not collecting: %1").arg(error));
        m_session.reset();
        clear(m_addresses);
        clear(m_surveys);
        return;
    }
    showAddresses();
    refreshSurveys();
    m_refresh.start();
}

void CollectWindow::chooseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Choose the survey folder"), m_options.folder);
    if (folder.isEmpty())
        return;
    m_options.folder = folder;
    startCollecting();
}

void CollectWindow::showAddresses() {
    clear(m_addresses);
    const QStringList addresses = m_session->addresses();
    m_status->setText(m_options.local
                          ? QStringLiteral("Only this computer can open it (--local).")
                          : QStringLiteral("Respondents on the same network open it in their "
                                           "browser, or scan the code with a phone."));
    int row = 0;
    for (const QString &address : addresses) {
        auto *code = new QLabel(this);
        code->setPixmap(QPixmap::fromImage(qrCodeImage(address, 4)));
        code->setAccessibleName(QStringLiteral("QR code of %1").arg(address));
        auto *text = new QLabel(address, this);
        QFont font = text->font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        text->setFont(font);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        text->setAccessibleName(QStringLiteral("Address for respondents"));
        m_addresses->addWidget(code, row, 0);
        m_addresses->addWidget(text, row, 1);
        ++row;
    }
    // The organiser's own link: no QR code, nothing to hand out.
    const QString results = m_session->resultsAddress();
    auto *link = new QLabel(QStringLiteral("Your results, for you alone: <a href=\"%1\">%1</a>")
                                .arg(results.toHtmlEscaped()),
                            this);
    link->setTextFormat(Qt::RichText);
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    link->setAccessibleName(QStringLiteral("Your results link"));
    m_addresses->addWidget(link, row, 0, 1, 2);
    m_addresses->setColumnStretch(1, 1);
}

void CollectWindow::refreshSurveys() {
    if (!m_session)
        return;
    // No code to hand out while answers cannot be stored: the reason instead.
    const QString why = m_session->whyAnswersCannotBeStored();
    if (why != m_cannotStore) {
        m_cannotStore = why;
        if (why.isEmpty()) {
            showAddresses();
        } else {
            clear(m_addresses);
            m_status->setText(
                QStringLiteral("Answers cannot be stored: %1. Respondents are asked to try "
                               "again later.")
                    .arg(why));
        }
    }
    const QList<Collector::Survey> surveys = m_session->surveys();
    QStringList shown;
    for (int row = 0; row < m_surveys->rowCount(); ++row)
        if (QLayoutItem *item = m_surveys->itemAtPosition(row, 0))
            shown.append(item->widget()->property("fileName").toString());
    QStringList now;
    for (const Collector::Survey &survey : surveys)
        now.append(survey.fileName);
    if (shown != now) {
        // Only when the surveys themselves change: rebuilding every second would
        // take the keyboard focus away from people working the buttons.
        clear(m_surveys);
        if (surveys.isEmpty())
            m_surveys->addWidget(new QLabel(QStringLiteral("There are no Velmora survey pages in "
                                                           "this folder yet."),
                                            this),
                                 0, 1);
        for (int row = 0; row < surveys.size(); ++row) {
            const Collector::Survey &survey = surveys[row];
            const QString name = survey.title.isEmpty() ? survey.fileName : survey.title;
            auto *title = new QLabel(name, this);
            title->setProperty("fileName", survey.fileName);
            auto *count = new QLabel(this);
            // What respondents see, in the organiser's own browser.
            auto *page = button(QStringLiteral("Open Page"),
                                QStringLiteral("Open %1 as respondents see it").arg(name), this);
            connect(page, &QPushButton::clicked, this, [this, file = survey.fileName] {
                QDesktopServices::openUrl(QUrl(m_session->localAddress() +
                                               QString::fromLatin1(QUrl::toPercentEncoding(file))));
            });
            auto *summary = button(QStringLiteral("Open Summary"),
                                   QStringLiteral("Open the summary of %1").arg(name), this);
            auto *answers = button(QStringLiteral("Open Answers"),
                                   QStringLiteral("Open the answers file of %1").arg(name), this);
            connect(summary, &QPushButton::clicked, this,
                    [this, file = survey.fileName] { openSummary(file); });
            connect(answers, &QPushButton::clicked, this,
                    [path = survey.answersFile] { openFile(path); });
            // Now from here; at a time on the results link's page.
            auto *closeOrOpen = button(QStringLiteral("Close Now"), QString(), this);
            connect(
                closeOrOpen, &QPushButton::clicked, this,
                [this, closeOrOpen, file = survey.fileName] {
                    QString error;
                    if (!m_session->closeOrOpenNow(file, closeOrOpen->property("closes").toBool(),
                                                   &error))
                        m_activity->setText(QStringLiteral("Nothing was changed: %1").arg(error));
                    refreshSurveys();
                });
            auto *schedule = button(QStringLiteral("Schedule..."),
                                    QStringLiteral("Close or open %1 at a time").arg(name), this);
            connect(schedule, &QPushButton::clicked, this, [this, file = survey.fileName] {
                QDesktopServices::openUrl(QUrl(m_session->resultsAddress() +
                                               QStringLiteral("schedule/") +
                                               QString::fromLatin1(QUrl::toPercentEncoding(file))));
            });
            m_surveys->addWidget(title, row, 0);
            m_surveys->addWidget(count, row, 1);
            m_surveys->addWidget(summary, row, 2);
            m_surveys->addWidget(answers, row, 3);
            m_surveys->addWidget(page, row, 4);
            m_surveys->addWidget(closeOrOpen, row, 5);
            m_surveys->addWidget(schedule, row, 6);
        }
        m_surveys->setColumnStretch(0, 1);
    }
    for (int row = 0; row < surveys.size(); ++row) {
        auto *count = qobject_cast<QLabel *>(m_surveys->itemAtPosition(row, 1)->widget());
        const qsizetype answers = surveys[row].answers;
        QString counted =
            answers == 1 ? QStringLiteral("1 answer") : QStringLiteral("%1 answers").arg(answers);
        // Answers to earlier versions of the page are in files of their own,
        // on the results link.
        if (!surveys[row].earlierAnswersFiles.isEmpty())
            counted +=
                QStringLiteral(" (and %1 to earlier versions)").arg(surveys[row].earlierAnswers);
        if (surveys[row].closed)
            counted += QStringLiteral(", closed");
        count->setText(counted);
        count->setToolTip(surveys[row].schedule);
        count->setAccessibleName(counted + QStringLiteral(" so far. ") + surveys[row].schedule);
        auto *closeOrOpen =
            qobject_cast<QPushButton *>(m_surveys->itemAtPosition(row, 5)->widget());
        const QString name =
            surveys[row].title.isEmpty() ? surveys[row].fileName : surveys[row].title;
        closeOrOpen->setProperty("closes", !surveys[row].closed);
        closeOrOpen->setText(surveys[row].closed ? QStringLiteral("Open Now")
                                                 : QStringLiteral("Close Now"));
        closeOrOpen->setAccessibleName(
            (surveys[row].closed ? QStringLiteral("Open %1 now") : QStringLiteral("Close %1 now"))
                .arg(name));
        m_surveys->itemAtPosition(row, 2)->widget()->setEnabled(
            !surveys[row].countedSummary.isEmpty() ||
            QFileInfo::exists(summaryPath(surveys[row].answersFile)));
        m_surveys->itemAtPosition(row, 3)->widget()->setEnabled(
            QFileInfo::exists(surveys[row].answersFile));
    }
}

void CollectWindow::openSummary(const QString &pageFile) {
    for (const Collector::Survey &survey : m_session->surveys()) {
        if (survey.fileName != pageFile)
            continue;
        if (survey.countedSummary.isEmpty())
            openFile(summaryPath(survey.answersFile));
        else
            QDesktopServices::openUrl(
                QUrl(m_session->resultsAddress() +
                     QString::fromLatin1(QUrl::toPercentEncoding(survey.countedSummary))));
    }
}

void CollectWindow::closeEvent(QCloseEvent *event) {
    m_refresh.stop();
    m_session.reset(); // finishes the requests in flight and the last summaries
    QWidget::closeEvent(event);
}

} // namespace Velmora
