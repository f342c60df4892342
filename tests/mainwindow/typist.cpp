// One copy of the window for the two-copies test: it starts as the program
// does, then types what it reads on standard input, one "FIELD TEXT" line at a
// time, and answers "typed" once the keystrokes are saved.
#include "fakeplatform.h"
#include "surveywindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>

#include <iostream>
#include <string>

using namespace Velmora;

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromLocal8Bit(argv[1]));
    FakePlatform platform;
    SettingsStore store;
    SurveyWindow form(platform, store);
    form.startUp();
    form.show();
    QCoreApplication::processEvents();
    store.waitForWrites();
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        const QString command = QString::fromStdString(line);
        auto *field = form.findChild<QWidget *>(command.section(QLatin1Char(' '), 0, 0));
        if (!field)
            return 3;
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, command.section(QLatin1Char(' '), 1));
        QCoreApplication::processEvents();
        std::cout << (store.waitForWrites() ? "typed" : "not saved") << std::endl;
    }
    return 0;
}
