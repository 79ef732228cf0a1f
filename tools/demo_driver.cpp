// A short session on the real main dialog, through its own buttons: two random
// 3 x 3 objects, their product, the inverse of the product. The windows are
// then laid side by side and the whole screen is saved as a PNG.
//
//   demo_driver OUTPUT.png
//
// Ends by itself; exits with 1 when a step opened no window (the message that
// the program showed instead is printed) or the picture could not be saved.
#include "app/Hollastrin.h"
#include "app/HollastrinDlg.h"
#include "objects/EntryControl.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "platform/MessageBox.h"
#include "platform/Metrics.h"

#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace
{
void Press(CHollastrinDlg& dlg, int nID)
{
    static_cast<QPushButton*>(dlg.GetDlgItem(nID))->click();
    QCoreApplication::processEvents();
}

// The view that the last step opened, or null (and a line on stderr).
CEntryControlView* Opened(CHollastrinDlg& dlg, qsizetype nBefore, const char* pStep)
{
    if (dlg.Registry().ObjectList().size() > nBefore)
        return dlg.Registry().ObjectList().last();
    std::fprintf(stderr, "demo: %s opened no object window\n", pStep);
    return nullptr;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: demo_driver OUTPUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quindle"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quindle.Quindle"));
    Metrics::ApplyApplicationLook();
    const QString output = QString::fromLocal8Bit(argv[1]);

    // A message box would wait for a user who is not there: print it instead.
    SetMessageBoxHook([](const MessageBoxRecord& record)
                      { std::fprintf(stderr, "demo: message: %s\n", qPrintable(record.text)); });

    CHollastrinDlg dlg;
    dlg.Windows().SetRandomSeed(1); // the same numbers every time
    dlg.show();
    QCoreApplication::processEvents();

    // Presses a button; what it opened, or null.
    auto press = [&dlg](int nID, const char* pName)
    {
        const qsizetype nOpen = dlg.Registry().ObjectList().size();
        Press(dlg, nID);
        return Opened(dlg, nOpen, pName);
    };

    // Two random 3 x 3 objects.
    dlg.RowsBox()->setCurrentIndex(2);
    dlg.ColsBox()->setCurrentIndex(2);
    CEntryControlView* pFirst = press(IDC_RANDOM_OBJECT, "Random Object");
    CEntryControlView* pSecond = press(IDC_RANDOM_OBJECT, "Random Object");
    if (!pFirst || !pSecond)
        return 1;

    // Select both (as the right click does) and multiply.
    pFirst->OnRButtonDown(0, QPoint(2, 2));
    pSecond->OnRButtonDown(0, QPoint(2, 2));
    CEntryControlView* pProduct = press(IDC_MUL, "Mul");
    if (!pProduct)
        return 1;

    // Select the product and invert it.
    pProduct->OnRButtonDown(0, QPoint(2, 2));
    CEntryControlView* pInverse = press(IDC_INV, "Inv");
    if (!pInverse)
        return 1;

    // Once the window system has framed the windows: side by side in two
    // columns right of the dialog, so that nothing covers anything, with the
    // inverse as the active window. Then the picture.
    int nResult = 0;
    const CEntryControlView* order[] = {pFirst, pSecond, pProduct, pInverse};
    QTimer::singleShot(700, &app,
                       [&]
                       {
                           const QRect frame = pFirst->Frame()->frameGeometry();
                           const int nLeft = dlg.frameGeometry().right() + 12;
                           for (int k = 0; k < 4; ++k)
                           {
                               order[k]->Frame()->move(nLeft + (k % 2) * (frame.width() + 12),
                                                       2 + (k / 2) * (frame.height() + 12));
                           }
                           pInverse->Frame()->raise();
                           pInverse->Frame()->activateWindow();
                       });
    QTimer::singleShot(2000, &app,
                       [&]
                       {
                           const QPixmap picture = dlg.screen()->grabWindow(0);
                           if (picture.isNull() || !picture.save(output, "PNG"))
                           {
                               std::fprintf(stderr, "demo: could not save %s\n",
                                            qPrintable(output));
                               nResult = 1;
                           }
                           dlg.accept();
                           QCoreApplication::quit();
                       });
    app.exec();
    return nResult;
}
