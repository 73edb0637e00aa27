#include "ui/skin_resources.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The window tests run without a display; each run gets its own runtime folder, so that Qt is not
// left without one and the single-instance lock of one run never meets another's.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/tessivar-ui-tests-XXXXXX"));
    if (runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    tessivar::ui::loadSkinResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
