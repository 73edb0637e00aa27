#include "ui/pointer.h"
#include "ui/qt_host.h"
#include "ui/skin_resources.h"
#include "ui/skinned_button.h"
#include "ui/timer_runner.h"
#include "ui/window_drag.h"

#include <QDir>
#include <QMouseEvent>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace tessivar::ui {
namespace {

TEST(Skin, EveryPictureIsValidAndEveryIdleLookHasALitLookOfItsSize)
{
    const QStringList files = QDir(QStringLiteral(":/skin")).entryList({QStringLiteral("*.svg")});
    ASSERT_GE(files.size(), 60);
    int pairs = 0;
    for (const QString& file : files) {
        QSvgRenderer picture(QStringLiteral(":/skin/") + file);
        EXPECT_TRUE(picture.isValid()) << file.toStdString();
        if (!file.endsWith(QStringLiteral("_idle.svg")))
            continue;
        ++pairs;
        QString lit = file;
        lit.replace(QStringLiteral("_idle.svg"), QStringLiteral("_lit.svg"));
        QSvgRenderer litPicture(QStringLiteral(":/skin/") + lit);
        ASSERT_TRUE(litPicture.isValid()) << lit.toStdString();
        EXPECT_EQ(litPicture.defaultSize(), picture.defaultSize()) << file.toStdString();
    }
    EXPECT_EQ(pairs, 16);
}

TEST(SkinnedButton, HoverLightsThroughTheUnitAndOnlyTheLitLookActs)
{
    QWidget window;
    SkinnedPair pair;
    SkinnedButton button(pair, QStringLiteral("ImgOKNormal"), QStringLiteral("ImgOkMouseMove"), QStringLiteral("ok"),
                         &window);
    int clicks = 0;
    button.onHover([&] {
        if (pair.hover())
            button.refresh();
    });
    button.onClick([&] { ++clicks; });
    window.show();

    auto* normal = window.findChild<SvgPicture*>(QStringLiteral("ImgOKNormal"));
    auto* lit = window.findChild<SvgPicture*>(QStringLiteral("ImgOkMouseMove"));
    ASSERT_TRUE(normal && lit);
    EXPECT_TRUE(normal->isVisible());
    EXPECT_FALSE(lit->isVisible());

    QTest::mouseClick(lit, Qt::LeftButton);
    QTest::mouseClick(normal, Qt::LeftButton);
    EXPECT_EQ(clicks, 0) << "idle: neither look acts";

    test::hover(normal, QPoint(10, 10));
    EXPECT_TRUE(pair.lit);
    EXPECT_FALSE(normal->isVisible());
    EXPECT_TRUE(lit->isVisible());
    QTest::mouseClick(lit, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    pair.reset();
    pair.NormalEnabled = false;
    button.refresh();
    test::hover(normal, QPoint(12, 12));
    QTest::mouseClick(lit, Qt::LeftButton);
    EXPECT_FALSE(pair.lit);
    EXPECT_EQ(clicks, 1) << "a disabled button never lights and never acts";
}

TEST(WindowDragger, AMoveOfThreeHundredByMinusOneHundredFiftyTwipsMovesTheWindowByThat)
{
    if (!WindowDragger::programPlacesWindows())
        GTEST_SKIP() << "this platform places windows itself";
    QWidget window;
    window.resize(448, 119);
    auto* area = new QWidget(&window);
    area->setGeometry(0, 0, 448, 26);
    WindowDrag drag;
    WindowDragger dragger(&window, drag);
    dragger.addArea(area);
    window.move(200, 200);
    window.show();

    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_TRUE(drag.Dragging);
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 0), area->mapToGlobal(QPointF(60, 0)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    EXPECT_EQ(window.pos(), QPoint(220, 190));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(60, 0));
    EXPECT_FALSE(drag.Dragging);
}

TEST(TimerRunner, FollowsTheUnitsTimersAndTicksIntoTheirHandlers)
{
    TimerState blink{true, 600};
    TimerState idle{false, 10};
    TimerRunner runner;
    int ticks = 0;
    runner.add(QStringLiteral("tmrBlink"), blink, [&] {
        ++ticks;
        blink.stop();
        idle.start();
    });
    runner.add(QStringLiteral("tmrIdle"), idle, [] {});
    EXPECT_TRUE(runner.timer(QStringLiteral("tmrBlink"))->isActive());
    EXPECT_FALSE(runner.timer(QStringLiteral("tmrIdle"))->isActive());

    emit runner.timer(QStringLiteral("tmrBlink"))->timeout({});
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(runner.timer(QStringLiteral("tmrBlink"))->isActive()) << "the handler stopped its own timer";
    EXPECT_TRUE(runner.timer(QStringLiteral("tmrIdle"))->isActive());

    idle.Interval = 0;
    runner.sync();
    EXPECT_FALSE(runner.timer(QStringLiteral("tmrIdle"))->isActive()) << "no interval, no ticks";
}

TEST(QtHost, PassesThroughTheEventLoopOnlyOncePerSlice)
{
    QtHost every(std::chrono::microseconds(0));
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    every.yield();
    EXPECT_TRUE(delivered);

    QtHost rarely(std::chrono::hours(1));
    rarely.yield();
    const long long first = rarely.passes();
    for (int i = 0; i < 1000; ++i)
        rarely.yield();
    EXPECT_EQ(rarely.passes(), first);
}

} // namespace
} // namespace tessivar::ui
