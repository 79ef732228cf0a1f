// Builds the real main dialog, opens a few objects and selects one, so that a
// screenshot shows the program at work. Ends by itself after a while.
#include "app/Hollastrin.h"
#include "app/HollastrinDlg.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "platform/Metrics.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quindle"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quindle.Quindle"));
    Metrics::ApplyApplicationLook();

    CHollastrinDlg dlg;
    dlg.Windows().SetRandomSeed(1);
    dlg.show();

    auto open = [&dlg](int nRows, int nCols, bool bRandom)
    {
        dlg.RowsBox()->setCurrentIndex(nRows - 1);
        dlg.ColsBox()->setCurrentIndex(nCols - 1);
        if (bRandom)
            dlg.OnRandomObject();
        else
            dlg.OnZeroedObject();
    };
    open(3, 3, true);
    open(2, 2, false);
    open(12, 12, true);
    open(1, 1, true);
    dlg.Registry().ObjectList().at(0)->OnRButtonDown(0, QPoint(2, 2));
    dlg.Registry().ObjectList().at(2)->OnRButtonDown(0, QPoint(2, 2));

    const int nSeconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5;
    QTimer::singleShot(nSeconds * 1000, &dlg, &QDialog::accept);
    QObject::connect(&dlg, &QDialog::finished, &app, &QCoreApplication::quit);
    return app.exec();
}
