#include "choosers.h"
#include "desktopplatform.h"
#include "messagebox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

using namespace Velmora;

class TestRealDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pictureDialog();
    void folderDialog_data();
    void folderDialog();
    void messageBoxCopiesToClipboard();

private:
    // Calls `handle` with the modal widget of type T until it returns true; gives up
    // after 10 s.
    template <typename T> void whenModal(std::function<bool(T *)> handle) {
        auto *timer = new QTimer(this);
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        connect(timer, &QTimer::timeout, this, [timer, started, handle] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *widget = qobject_cast<T *>(modal); widget && handle(widget)) {
                timer->deleteLater();
            } else if (started->elapsed() > 10000) {
                if (modal)
                    modal->close();
                timer->deleteLater();
            }
        });
        timer->start(20);
    }

    QTemporaryDir m_home;
    DesktopPlatform m_platform;
};

void TestRealDialogs::initTestCase() {
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral(".config")).toLocal8Bit());
    QDir home(m_home.path());
    QVERIFY(home.mkpath(QStringLiteral("Pictures")));
    QVERIFY(home.mkpath(QStringLiteral("surveys/last")));
    for (const char *name :
         {"SKY.PNG", "Photo.JPG", "logo.Gif", "scan.bmp", "notes.txt", "song.mp3"}) {
        QFile file(home.filePath(QStringLiteral("Pictures/") + QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    m_platform.setUseNativeDialogs(false);
}

void TestRealDialogs::pictureDialog() {
    QString title;
    QStringList shown;
    QList<int> columnsCut{-1};
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        auto *list = dialog->findChild<QListView *>(QStringLiteral("listView"));
        if (!list || list->model()->rowCount(list->rootIndex()) < 4)
            return false; // the folder is still being read
        title = dialog->windowTitle();
        // Sizes, types and dates are shown whole, not as "PN...ge".
        auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
        columnsCut.clear();
        for (int column = 1; column < details->header()->count(); ++column) {
            if (details->header()->sectionSize(column) <
                static_cast<QAbstractItemView *>(details)->sizeHintForColumn(column))
                columnsCut.append(column);
        }
        shown.clear();
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            shown.append(list->model()->index(row, 0, list->rootIndex()).data().toString());
        // Typed as a person would, into the file name box.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->setText(QStringLiteral("SKY.PNG"));
        static_cast<QDialog *>(dialog)->accept();
        return !dialog->isVisible(); // tried again while the dialog still settles
    });
    const QString chosen =
        m_platform.openFileName(QStringLiteral("Select single file"), pictureFilter(), QString());

    QCOMPARE(title, QStringLiteral("Select single file"));
    shown.sort(Qt::CaseInsensitive);
    QCOMPARE(shown, (QStringList{QStringLiteral("logo.Gif"), QStringLiteral("Photo.JPG"),
                                 QStringLiteral("scan.bmp"), QStringLiteral("SKY.PNG")}));
    QCOMPARE(chosen, m_home.filePath(QStringLiteral("Pictures/SKY.PNG")));
    QCOMPARE(columnsCut, QList<int>());
}

void TestRealDialogs::folderDialog_data() {
    QTest::addColumn<QString>("initial");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");

    QTest::newRow("starts at the last folder") << "surveys/last" << true << "surveys/last";
    QTest::newRow("cancel") << "surveys/last" << false << "";
    QTest::newRow("no last folder: home, not the working folder") << "" << true << ".";
}

void TestRealDialogs::folderDialog() {
    QFETCH(QString, initial);
    QFETCH(bool, accept);
    QFETCH(QString, expected);

    QString title;
    QString startedAt;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        startedAt = dialog->directory().absolutePath();
        accept ? static_cast<QDialog *>(dialog)->accept() : dialog->reject();
        return true;
    });
    const QString chosen =
        m_platform.existingDirectory(QStringLiteral("Please select folder:"),
                                     initial.isEmpty() ? QString() : m_home.filePath(initial));

    QCOMPARE(title, QStringLiteral("Please select folder:"));
    QCOMPARE(startedAt, QDir(m_home.filePath(initial)).absolutePath());
    QCOMPARE(chosen,
             expected.isEmpty() ? QString() : QDir(m_home.filePath(expected)).absolutePath());
}

void TestRealDialogs::messageBoxCopiesToClipboard() {
    QString caption;
    QString text;
    int buttons = 0;
    int width = 0;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        caption = box->windowTitle();
        text = box->text();
        buttons = box->buttons().size();
        width = box->width();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    m_platform.showMessage(QStringLiteral("Application Error"),
                           QStringLiteral("Overflow\r\nin here at line 5\r\rPlease email"),
                           Platform::Icon::Warning);

    QCOMPARE(caption, QStringLiteral("Application Error"));
    QCOMPARE(text, QStringLiteral("Overflow\nin here at line 5\n\nPlease email"));
    QCOMPARE(buttons, 1);
    QVERIFY2(width >= MessageBox::MinimumWidth, QByteArray::number(width));
    QCOMPARE(
        QApplication::clipboard()->text(),
        QStringLiteral("---------------------------\nApplication Error\n"
                       "---------------------------\nOverflow\nin here at line 5\n\nPlease email\n"
                       "---------------------------\nOK\n---------------------------\n"));
}

QTEST_MAIN(TestRealDialogs)
#include "tst_realdialogs.moc"
