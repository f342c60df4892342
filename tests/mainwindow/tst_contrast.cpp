#include "appearance.h"
#include "shownform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace Velmora;

namespace {

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x1d, 0x1d, 0x1d));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    return dark;
}

// The text in a rectangle of the picture: its most common colour is the
// background, and the colour that stands out most from it is the ink.
double textContrast(const QImage &image, const QRect &area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(QColor(it.key()), QColor(background)));
    return best;
}

} // namespace

// Every text of the window and every border are readable under any desktop
// palette: at least 4.5:1 for text, 3:1 for the borders of frames and buttons.
class TestContrast : public QObject {
    Q_OBJECT

private slots:
    void windowIsReadable_data();
    void windowIsReadable();
    void questionColoursAreReadable();
};

void TestContrast::windowIsReadable_data() {
    QTest::addColumn<bool>("dark");
    QTest::addColumn<bool>("skin");
    QTest::newRow("light desktop") << false << false;
    QTest::newRow("dark desktop") << true << false;
    QTest::newRow("light desktop, skin") << false << true;
    QTest::newRow("dark desktop, skin") << true << true;
}

void TestContrast::windowIsReadable() {
    QFETCH(bool, dark);
    QFETCH(bool, skin);
    const QPalette original = QApplication::palette();
    QApplication::setPalette(dark ? darkPalette() : QPalette(QColor(0xef, 0xef, 0xef)));
    QTemporaryDir program;
    if (skin) {
        QVERIFY(QDir(program.path()).mkdir(QStringLiteral("x")));
        QFile(program.filePath(QStringLiteral("x/o.cjs"))).open(QIODevice::WriteOnly);
    }
    ShownForm shown(program.path());
    QVERIFY(shown.exposed());
    SurveyWindow &form = shown.form;
    const QImage image = form.grab().toImage();

    for (QGroupBox *frame : form.findChildren<QGroupBox *>()) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label =
            frame->style()
                ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame)
                .translated(frame->pos());
        const double caption = textContrast(image, label);
        QVERIFY2(caption >= 4.5, qPrintable(frame->title() + QStringLiteral(": %1").arg(caption)));
        // The frame's left border against the window beside it.
        const QPoint edge = frame->geometry().topLeft() + QPoint(0, frame->height() / 2);
        const double border = std::max(
            {contrastRatio(QColor(image.pixel(edge)), QColor(image.pixel(edge - QPoint(3, 0)))),
             contrastRatio(QColor(image.pixel(edge + QPoint(1, 0))),
                           QColor(image.pixel(edge - QPoint(3, 0))))});
        QVERIFY2(border >= 3.0,
                 qPrintable(frame->title() + QStringLiteral(" border: %1").arg(border)));
    }
    for (QPushButton *button : form.findChildren<QPushButton *>()) {
        const QRect inside =
            QRect(button->mapTo(&form, QPoint(0, 0)), button->size()).adjusted(3, 3, -3, -3);
        const double label = textContrast(image, inside);
        QVERIFY2(label >= 4.5, qPrintable(button->text() + QStringLiteral(": %1").arg(label)));
        const QPoint edge = button->mapTo(&form, QPoint(0, button->height() / 2));
        const double border =
            contrastRatio(QColor(image.pixel(edge)), QColor(image.pixel(edge - QPoint(2, 0))));
        QVERIFY2(border >= 3.0,
                 qPrintable(button->text() + QStringLiteral(" border: %1").arg(border)));
    }
    QApplication::setPalette(original);
}

void TestContrast::questionColoursAreReadable() {
    QApplication::setPalette(darkPalette());
    ShownForm shown;
    QVERIFY(shown.exposed());
    SurveyWindow &form = shown.form;
    auto *questions = form.findChild<QPlainTextEdit *>(QStringLiteral("questionsEdit"));
    questions->setPlainText(QStringLiteral("[1] Question\n[r] a) Yes\n[c] a) Good\n[s]\n[l]\n"
                                           "no marker\n[x] ignored\n[r\n["));
    const QColor box = form.grab(questions->geometry()).toImage().pixel(3, questions->height() - 4);
    int formats = 0;
    for (QTextBlock block = questions->document()->begin(); block.isValid(); block = block.next()) {
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            const QColor background = range.format.background().style() == Qt::NoBrush
                                          ? box
                                          : range.format.background().color();
            const double ratio = contrastRatio(range.format.foreground().color(), background);
            QVERIFY2(ratio >= 4.5, qPrintable(block.text() + QStringLiteral(": %1").arg(ratio)));
            ++formats;
        }
    }
    QVERIFY(formats >= 9);
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
