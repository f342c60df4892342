#include "appearance.h"
#include "shownform.h"

#include <QApplication>
#include <QTest>

#include <cmath>

using namespace Velmora;

namespace {

// The strongest contrast against white among the pixels of a line of the box's
// edge: at a fractional scale one logical pixel covers parts of two.
double edgeContrast(const QImage &image, bool right, qreal ratio) {
    const int depth = int(std::ceil(ratio));
    double best = 1.0;
    for (int i = 1; i <= depth; ++i) {
        const QPoint at = right ? QPoint(image.width() - i, image.height() / 2)
                                : QPoint(image.width() / 3, image.height() - i);
        best = std::max(best, contrastRatio(QColor(image.pixel(at)), Qt::white));
    }
    return best;
}

} // namespace

// Run by CTest at the scales 1, 1.25, 1.75 and 2 (QT_SCALE_FACTOR): every border
// of the text boxes is drawn, the right and bottom ones of the multi-line boxes too.
class TestScaledBorders : public QObject {
    Q_OBJECT

private slots:
    void bordersAreDrawn();
};

void TestScaledBorders::bordersAreDrawn() {
    ShownForm shown;
    QVERIFY(shown.exposed());
    SurveyWindow &form = shown.form;
    for (const char *name : {"questionsEdit", "messageEdit", "titleEdit"}) {
        QWidget *box = form.findChild<QWidget *>(QLatin1String(name));
        const QImage image =
            form.grab(QRect(box->mapTo(&form, QPoint(0, 0)), box->size())).toImage();
        const qreal ratio = image.devicePixelRatio();
        for (const bool right : {true, false}) {
            const double contrast = edgeContrast(image, right, ratio);
            QVERIFY2(contrast >= 3.0,
                     qPrintable(QStringLiteral("%1 %2 border at scale %3: %4")
                                    .arg(QLatin1String(name),
                                         right ? QStringLiteral("right") : QStringLiteral("bottom"))
                                    .arg(ratio)
                                    .arg(contrast)));
        }
    }
}

QTEST_MAIN(TestScaledBorders)
#include "tst_scaledborders.moc"
