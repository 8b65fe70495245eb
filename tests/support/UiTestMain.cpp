// The main of the UI test programs: one QApplication on the offscreen
// platform for the whole run, DejaVu Sans as the system font.
#include "support/TestRun.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return runAllTests(argc, argv);
}
