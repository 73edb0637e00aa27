#include "ui/session_end.h"
#include "ui/single_instance.h"

#include <QApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tessivar::ui {
namespace {

TEST(SingleInstance, ASecondStartFindsTheFirstAndAsksItToShowItsWindow)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SingleInstance first(folder.path());
    ASSERT_TRUE(first.claim());
    QSignalSpy shown(&first, &SingleInstance::activationRequested);

    SingleInstance second(folder.path());
    EXPECT_FALSE(second.claim()) << "the lock is taken while the first runs";
    EXPECT_TRUE(second.activateRunning(3000));
    EXPECT_TRUE(shown.wait(5000)) << "the first hears the request in its event loop";
    EXPECT_EQ(shown.count(), 1);
}

TEST(SingleInstance, NoRunningProgramMeansTheNextStartClaimsAgain)
{
    QTemporaryDir folder;
    {
        SingleInstance first(folder.path());
        ASSERT_TRUE(first.claim());
    }
    SingleInstance later(folder.path());
    EXPECT_TRUE(later.claim());
    SingleInstance nobody(QTemporaryDir().path());
    EXPECT_FALSE(nobody.activateRunning(100));
}

// Ending the event loops ends them for the rest of the process, so this runs in a child.
void endSessionBySignalInsideANestedLoop()
{
    SessionEnd session(*qApp);
    int announced = 0;
    QObject::connect(&session, &SessionEnd::sessionEnding, [&] { ++announced; });
    QEventLoop outer;
    QEventLoop inner; // a modal dialog's loop inside the program's
    bool innerEnded = false;
    QTimer::singleShot(0, [&] {
        std::raise(SIGTERM);
        inner.exec();
        innerEnded = true;
    });
    QTimer::singleShot(10000, &outer, [&] { outer.exit(1); });
    const int outerResult = outer.exec();
    session.endSession();
    std::_Exit(outerResult == 0 && innerEnded && session.ending() && announced == 1 ? 0 : 1);
}

TEST(SessionEnd, ATerminationSignalEndsEveryEventLoopOnceAndAnnouncesIt)
{
    EXPECT_EXIT(endSessionBySignalInsideANestedLoop(), ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace tessivar::ui
