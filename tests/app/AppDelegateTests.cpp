#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <tuple>

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>

#include "AppDelegate.h"
#include "AppTestSupport.h"
#include "Ordnix.h"
#include "Settings.h"

namespace {

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication();
        QSettings(QStringLiteral("Ordnix"), QStringLiteral("Ordnix")).remove(Settings::scaleKey);
        delegate = std::make_unique<AppDelegate>();
        delegate->dumpDirectory.clear();
        delegate->launch(false);
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        delegate.reset();
        QCoreApplication::processEvents();
    }

    QMenuBar& bar() { return *delegate->fieldWindow->menuBar(); }
    QMenu* menu(int index) { return bar().actions().at(index)->menu(); }
    static QString plain(QString text) { return text.replace(QStringLiteral("&&"), QStringLiteral("&")); }

    void press(QWidget* widget, QPoint at, QEvent::Type type = QEvent::MouseButtonPress) {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
    void click(QWidget* widget, QPoint at) {
        press(widget, at);
        press(widget, at, QEvent::MouseButtonRelease);
    }

    static MenuState state(int64_t id, bool enabled, std::vector<bool> items, std::vector<bool> checked) {
        return MenuState{id, enabled, std::move(items), std::move(checked)};
    }

    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateTest, MenuBarHoldsTheApplicationViewAndSevenGameMenus) {
    // Title and items ("-" a separator) of each menu; the game menus are 258 on, in order.
    const std::vector<std::pair<QString, QStringList>> menus = {
        {"Ordnix", {QString::fromUtf8("About Ordnix\u2026"), "-", "Quit Ordnix"}},
        {"View", {"Actual Size", "Double Size"}},
        {"Terrain", {"DESERT", "HILL AND DALE", "FOOTHILLS", "MOUNTAINS", "DO IT YOURSELF"}},
        {"Targets", {"HOSPITALS", "COMMAND POSTS", "TREES", "-", "SET TARGET VALUES"}},
        {"Wind", {"NONE", "LIGHT", "GUSTY"}},
        {"R&R", {"NEW GAME", "NEW BATTLEFIELD", "HIDE SETTINGS", "OUTS", "PLAYER TYPE", "SET BALL SPEED"}},
        {"Battle", {"START A BATTLE", "STOP A BATTLE"}},
        {"Sound", {"OFF", "MIN.", "2", "3", "4", "5", "6", "MAX."}},
        {"Explosions", {"TUNNELS", "LANDSLIDES"}},
    };
    ASSERT_EQ(bar().actions().size(), static_cast<qsizetype>(menus.size()));
    for (size_t m = 0; m < menus.size(); ++m) {
        const auto& [title, items] = menus[m];
        const int64_t id = 256 + static_cast<int64_t>(m);
        EXPECT_EQ(plain(bar().actions().at(static_cast<int>(m))->text()), title);
        const QList<QAction*> actions = menu(static_cast<int>(m))->actions();
        ASSERT_EQ(actions.size(), items.size()) << title.toStdString();
        for (int i = 0; i < actions.size(); ++i) {
            const bool separator = items.at(i) == QStringLiteral("-");
            EXPECT_TRUE(separator ? actions.at(i)->isSeparator() : actions.at(i)->text() == items.at(i))
                << title.toStdString() << " item " << i + 1;
            // A command is registered under its menu and 1-based item number (a separator counts).
            if (m >= 2 && !separator) {
                EXPECT_EQ(delegate->menuItems.at(id).at(i + 1), actions.at(i)) << id << " item " << i + 1;
            }
        }
        if (m >= 2) {
            EXPECT_EQ(delegate->menuTitles.at(id), bar().actions().at(static_cast<int>(m)));
        }
    }
    EXPECT_EQ(delegate->menuItems.at(256).at(1), menu(0)->actions().at(0));
    EXPECT_EQ(delegate->menuItems.count(257), 0u);
    EXPECT_EQ(menu(0)->actions().at(2)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(menu(1)->actions().at(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+1")));
    EXPECT_EQ(menu(1)->actions().at(1)->shortcut(), QKeySequence(QStringLiteral("Ctrl+2")));
}

TEST_F(AppDelegateTest, TitlesFollowTheGameAndItemsAreLiveOnlyWhileItPolls) {
    delegate->menuStates = {
        state(256, true, {true, true, true}, {false, false, false}),
        state(260, true, {true, true, false, true}, {false, false, true, false}),
        state(262, false, {true, true, true}, {false, true, false}),
    };
    struct Case {
        bool ready;
        int64_t menu, item;
        bool enabled, checked;
    };
    const std::vector<Case> cases = {
        {false, 260, 1, false, false}, {false, 260, 2, false, true},  {false, 256, 1, false, false},
        {true, 260, 1, true, false},   {true, 260, 2, false, true},   {true, 260, 3, true, false},
        {true, 262, 1, false, true},   {true, 262, 2, false, false},  {true, 256, 1, true, false},
    };
    for (const Case& c : cases) {
        delegate->host->setReadyForMenus(c.ready);
        delegate->updateMenus();
        QAction* item = delegate->menuItems.at(c.menu).at(c.item);
        EXPECT_TRUE(item->isEnabled() == c.enabled && item->isChecked() == c.checked)
            << c.menu << "/" << c.item << " ready " << c.ready;
        EXPECT_TRUE(delegate->menuTitles.at(260)->isEnabled());
        EXPECT_FALSE(delegate->menuTitles.at(262)->isEnabled());
    }
    // Items beyond the published arrays stay off.
    delegate->menuStates = {state(263, true, {true, true}, {false, true})};
    delegate->updateMenus();
    EXPECT_TRUE(delegate->menuItems.at(263).at(1)->isEnabled());
    EXPECT_FALSE(delegate->menuItems.at(263).at(2)->isEnabled() || delegate->menuItems.at(263).at(2)->isChecked());
}

TEST_F(AppDelegateTest, ChoicesReachTheGameOnlyThroughLiveItems) {
    delegate->menuStates = {state(262, true, {true, true, false}, {false, false, false})};
    delegate->updateMenus();
    QAction* start = delegate->menuItems.at(262).at(1);
    start->trigger(); // not polling: the item is off and choosing it does nothing
    EXPECT_EQ(delegate->host->takeMenuChoice(), std::nullopt);

    // The game starts polling: the host queues the menu update on the main thread.
    delegate->host->setReadyForMenus(true);
    EXPECT_FALSE(start->isEnabled());
    QCoreApplication::processEvents();
    EXPECT_TRUE(start->isEnabled());
    start->trigger();
    EXPECT_EQ(delegate->host->takeMenuChoice(), std::optional<int64_t>(262 * 65536 + 1));
}

TEST_F(AppDelegateTest, DumpWritesTheScreensAndMenusIntoAnExistingDirectoryOnly) {
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    {
        std::lock_guard guard(QuickDraw::screenLock());
        delegate->game->window(WindowID::field).port().bitmap.setPixel(7, 9, true);
    }
    delegate->menuStates = {state(260, true, {true, true, true, true}, {false, false, true, false})};
    // A visible box window is dumped under its window's name; a hidden one is not.
    delegate->show(delegate->game->window(WindowID::targets));
    delegate->show(delegate->game->window(WindowID::ballSpeed));
    delegate->hide(delegate->game->window(WindowID::ballSpeed));
    delegate->dump(directory.path());
    const QImage image(directory.filePath(QStringLiteral("field.png")));
    ASSERT_EQ(image.size(), QSize(512, 322));
    EXPECT_TRUE(image.isGrayscale());
    EXPECT_TRUE(qGray(image.pixel(7, 9)) == 0 && qGray(image.pixel(8, 9)) == 255);
    QFile menus(directory.filePath(QStringLiteral("menus.txt")));
    ASSERT_TRUE(menus.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(menus.readAll()),
              QStringLiteral("260 enabled=true items=[true, true, true] checked=[false, true, false]\nready=false\n"));
    EXPECT_EQ(QImage(directory.filePath(QStringLiteral("targets.png"))).size(), QSize(490, 285));
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files).size(), 3);

    // A missing directory, or a file in the way, gets nothing.
    const QString missing = directory.filePath(QStringLiteral("missing"));
    delegate->dump(missing);
    EXPECT_FALSE(QFileInfo::exists(missing));
    QFile blocker(directory.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    delegate->dump(blocker.fileName());
    EXPECT_EQ(QFileInfo(blocker.fileName()).size(), 0);
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files).size(), 4);
}

// Runs at this process's device-pixel ratio (1 in the suite; the next test runs it at fractional ones).
TEST_F(AppDelegateTest, GamePixelsAreEvenSquaresAndThePointerFindsThem) {
    const double ratio = delegate->fieldView->devicePixelRatioF();
    // Both windows show a checkerboard whose pixel (0, 0) is black.
    const auto checkerboard = [](Window& window) {
        QuickDraw::Bitmap& bitmap = window.port().bitmap;
        std::lock_guard guard(QuickDraw::screenLock());
        for (int64_t y = 0; y < bitmap.height(); ++y)
            for (int64_t x = 0; x < bitmap.width(); ++x)
                bitmap.setPixel(x, y, (x + y) % 2 == 0);
    };
    checkerboard(delegate->game->window(WindowID::field));
    checkerboard(delegate->game->window(WindowID::ballSpeed));
    delegate->show(delegate->game->window(WindowID::ballSpeed));
    // A window position that is a whole device pixel at the ratios tested.
    delegate->fieldWindow->move(400, 400);
    for (const int64_t scale : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio << ", scale " << scale);
        delegate->setScale(scale, false);
        QCoreApplication::processEvents();
        delegate->tick();
        const int n = static_cast<int>(std::max(1.0, std::floor(static_cast<double>(scale) * ratio + 1e-9)));
        EXPECT_EQ(delegate->fieldView->devicePixels(), n);
        const QImage shot = delegate->fieldWindow->grab().toImage();
        const auto isBlack = [&shot](int x, int y) { return qGray(shot.pixel(x, y)) < 128; };
        // Game pixel (0, 0): the first black device pixel of column 0 below the menu bar.
        const int barBottom = static_cast<int>(delegate->fieldWindow->menuBar()->height() * ratio);
        int top = barBottom;
        while (top < shot.height() && !isBlack(0, top))
            ++top;
        ASSERT_LT(top - barBottom, 2) << "the field starts right under the menu bar";
        // Row 5 and column 5 of the field (clear of the box): every game pixel n device pixels long.
        for (const bool across : {true, false}) {
            const int length = across ? 512 : 322;
            for (int i = 0, at = 0; i < length; ++i) {
                for (int k = 0; k < n; ++k, ++at) {
                    const bool shown = across ? isBlack(at, top + 5 * n) : isBlack(5 * n, top + at);
                    ASSERT_EQ(shown, (i + 5) % 2 == 0) << (across ? "column " : "row ") << i << ", device pixel " << k;
                }
            }
        }
        // The box's content lies exactly over field pixels (97, 35) on, inside a frame of 1 black, 2 white,
        // 2 black and 3 white game pixels.
        const int row = top + (35 + 5) * n;
        for (int h = 0; h < 300; ++h)
            ASSERT_EQ(isBlack((97 + h) * n, row), (h + 5) % 2 == 0) << "ball speed column " << h;
        for (int k = 0; k < 8 * n; ++k)
            ASSERT_EQ(isBlack((97 - 8) * n + k, row), k < n || (k >= 3 * n && k < 5 * n)) << "frame, device pixel " << k;

        // A pointer on the top-left device pixel of a game pixel is in that pixel.
        const QPointF window = delegate->fieldWindow->mapToGlobal(QPointF(0, 0));
        for (const QPoint pixel : {QPoint(0, 0), QPoint(511, 321), QPoint(200, 7)}) {
            const QPointF at = window + QPointF(pixel.x() * n, top + pixel.y() * n) / ratio;
            QMouseEvent move(QEvent::MouseMove, delegate->fieldView->mapFromGlobal(at), at, Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(delegate->fieldView.get(), &move);
            const QuickDraw::Point p = delegate->host->mouse(delegate->game->window(WindowID::field));
            EXPECT_TRUE(p.h == pixel.x() && p.v == pixel.y()) << p.h << ", " << p.v;
        }
    }
}

TEST_F(AppDelegateTest, OnlyPressesInTheFieldAndTheBoxesAreGameClicks) {
    AppHost& host = *delegate->host;
    delegate->show(delegate->game->window(WindowID::targets));
    BoxWindow* box = delegate->boxes.at(WindowID::targets).window.get();
    const std::vector<std::tuple<const char*, QWidget*, QPoint, bool>> presses = {
        {"field beside the box", delegate->fieldView.get(), QPoint(5, 5), true},
        {"field under the box", delegate->fieldView.get(), QPoint(600, 600), true},
        {"box content", &box->contentView(), QPoint(3, 3), true},
        {"box frame", &box->box(), QPoint(1, 1), true},
        {"menu bar", &bar(), QPoint(5, 5), false},
        {"window outside its view", delegate->fieldWindow.get(), QPoint(2, 2), false},
    };
    for (const auto& [where, widget, at, clicks] : presses) {
        click(widget, at);
        EXPECT_EQ(host.button(), clicks) << where;
        EXPECT_FALSE(host.button()) << where;
    }

    // A press in a dialog sheet is no click.
    delegate->openDialog(1000, {{1, 1}});
    ASSERT_NE(delegate->dialog, nullptr);
    QWidget* ok = delegate->dialog->control(3);
    ASSERT_NE(ok, nullptr);
    press(ok, QPoint(3, 3));
    EXPECT_FALSE(host.button());
    press(ok, QPoint(3, 3), QEvent::MouseButtonRelease);
    EXPECT_FALSE(host.button());
}

TEST_F(AppDelegateTest, SheetsAnswerTheCoreAndOnlyTheCoreClosesADialog) {
    AppHost& host = *delegate->host;
    const Dialog outs(1000);
    delegate->runAlert(4242); // no such alert: answered with 1 at once
    EXPECT_EQ(delegate->dialog, nullptr);
    EXPECT_EQ(host.modalDialog(outs), 1);
    delegate->runAlert(1001);
    ASSERT_NE(delegate->dialog, nullptr);
    EXPECT_EQ(delegate->dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(delegate->dialog->parentWidget(), delegate->fieldWindow.get());
    qobject_cast<QPushButton*>(delegate->dialog->control(1))->click();
    EXPECT_EQ(delegate->dialog, nullptr); // an alert ends with its answer
    EXPECT_EQ(host.modalDialog(outs), 1);

    // Radios show the core's values, not the click.
    delegate->openDialog(1000, {{1, 1}, {2, 0}});
    ASSERT_NE(delegate->dialog, nullptr);
    ClassicDialog& sheet = *delegate->dialog;
    sheet.radios.at(2)->click();
    EXPECT_TRUE(sheet.radios.at(1)->isChecked() && !sheet.radios.at(2)->isChecked());
    EXPECT_EQ(host.modalDialog(outs), 2);
    delegate->updateDialog({{1, 0}, {2, 1}});
    EXPECT_TRUE(!sheet.radios.at(1)->isChecked() && sheet.radios.at(2)->isChecked());
    qobject_cast<QPushButton*>(sheet.control(3))->click();
    EXPECT_EQ(host.modalDialog(outs), 3);
    EXPECT_NE(delegate->dialog, nullptr);
    delegate->closeDialog();
    EXPECT_EQ(delegate->dialog, nullptr);
    delegate->openDialog(77, {}); // unknown: nothing shown
    EXPECT_EQ(delegate->dialog, nullptr);
}

} // namespace
