// Runs a suite of window tests inside one QApplication, without a screen
// unless a platform is named.
#include "platform/Metrics.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace
{
QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform says on every raise that it cannot raise windows;
// the object list raises them thousands of times in the longer runs.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("does not support raise()")))
        return;
    g_previousHandler(type, context, text);
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_previousHandler = qInstallMessageHandler(FilterMessages);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quindle"));
    Metrics::ApplyApplicationLook();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
