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

TEST_F(AppDelegateTest, MenusTextListsEveryMenuAndTheReadiness) {
    EXPECT_EQ(AppDelegate::menusText({}, false), QStringLiteral("\nready=false\n"));
    EXPECT_EQ(AppDelegate::menusText({state(257, false, {true, false}, {false, false}), state(300, true, {true}, {false})},
                                     true),
              QStringLiteral("257 enabled=false items=[false] checked=[false]\n300 enabled=true items=[] checked=[]\n"
                             "ready=true\n"));
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

TEST_F(AppDelegateTest, TheTickDumpsOnceASecondOnlyWhenAsked) {
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    for (int i = 0; i < 120; ++i)
        delegate->tick();
    delegate->dumpDirectory = directory.path();
    for (int i = 0; i < 59; ++i)
        delegate->tick();
    EXPECT_TRUE(QDir(directory.path()).isEmpty()); // tick 179
    delegate->tick();                             // tick 180
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files), QStringList({"field.png", "menus.txt"}));
}

TEST_F(AppDelegateTest, BoxWindowsSitOverTheFieldAtEachScale) {
    struct Case {
        int64_t scale;
        WindowID id;
        QSize box;
        QPoint content; // the content's top-left from the field content's top-left
    };
    const std::vector<Case> cases = {
        {2, WindowID::targets, QSize(1012, 602), QPoint(20, 30)},
        {1, WindowID::targets, QSize(506, 301), QPoint(10, 15)},
        {1, WindowID::ballSpeed, QSize(316, 166), QPoint(97, 35)},
        {2, WindowID::ballSpeed, QSize(632, 332), QPoint(194, 70)},
    };
    for (const Case& c : cases) {
        delegate->setScale(c.scale, false);
        EXPECT_EQ(delegate->fieldView->size(), QSize(512 * c.scale, 322 * c.scale));
        delegate->show(delegate->game->window(c.id));
        const AppDelegate::Box& box = delegate->boxes.at(c.id);
        EXPECT_EQ(box.window->size(), c.box) << "scale " << c.scale;
        EXPECT_EQ(box.window->contentView().mapTo(delegate->fieldView.get(), QPoint(0, 0)), c.content)
            << "scale " << c.scale;
    }
    // A scale change re-lays an existing box.
    for (int64_t scale : {1, 2}) {
        delegate->setScale(scale, false);
        EXPECT_EQ(delegate->boxes.at(WindowID::targets).window->size(), QSize(506 * scale, 301 * scale));
    }
}

TEST_F(AppDelegateTest, EveryMenuFitsTheBarAndTheFieldKeepsItsSizeAndPlace) {
    const QFont desktop = QApplication::font();
    QFont large = desktop;
    for (const int points : {11, 16}) {
        large.setPointSize(points);
        delegate.reset();
        QApplication::setFont(large);
        delegate = std::make_unique<AppDelegate>();
        delegate->launch(false);
        for (const int64_t scale : {1, 2}) {
            delegate->setScale(scale, false);
            QCoreApplication::processEvents();
            QMenuBar& menus = bar();
            const QWidget* overflow = menus.findChild<QWidget*>(QStringLiteral("qt_menubar_ext_button"));
            EXPECT_TRUE(overflow == nullptr || overflow->isHidden()) << points << " pt, scale " << scale;
            for (QAction* title : menus.actions()) {
                const QRect place = menus.actionGeometry(title);
                EXPECT_TRUE(!place.isEmpty() && menus.rect().contains(place))
                    << plain(title->text()).toStdString() << " at " << points << " pt, scale " << scale;
            }
            // The field: its own size, right under the bar at the window's left edge; the window no taller.
            const int s = static_cast<int>(scale);
            const QWidget& window = *delegate->fieldWindow;
            EXPECT_EQ(QRect(delegate->fieldView->mapTo(&window, QPoint(0, 0)), delegate->fieldView->size()),
                      QRect(0, menus.height(), 512 * s, 322 * s));
            EXPECT_EQ(window.height(), menus.height() + 322 * s);
        }
    }
    delegate.reset();
    QApplication::setFont(desktop);
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

TEST(AppDelegateScaling, GamePixelsAreEvenSquaresOnFractionallyScaledDesktops) {
    testApplication();
    for (const char* factor : {"1.25", "1.5", "1.75"}) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(factor));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=AppDelegateTest.GamePixelsAreEvenSquaresAndThePointerFindsThem")});
        ASSERT_TRUE(child.waitForFinished(300000)) << factor;
        const QString output = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << "QT_SCALE_FACTOR " << factor << "\n" << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << factor;
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

TEST_F(AppDelegateTest, CursorHidesNestAndTheViewsGetTheScaledCursor) {
    const auto blank = [] {
        return QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::BlankCursor;
    };
    // Showing with nothing hidden does nothing; hides nest.
    for (const auto& [visible, hidden] :
         std::vector<std::pair<bool, int64_t>>{{true, 0}, {false, 1}, {false, 2}, {true, 1}, {true, 0}}) {
        delegate->showCursor(visible);
        EXPECT_TRUE(delegate->hiddenCursor == hidden && blank() == (hidden > 0)) << "hidden " << hidden;
    }

    // The views get the scaled cursor, and follow a scale change.
    delegate->cursorKind = CursorKind::cross;
    delegate->applyCursor();
    delegate->show(delegate->game->window(WindowID::ballSpeed));
    for (int64_t scale : {2, 1}) {
        delegate->setScale(scale, false);
        EXPECT_EQ(delegate->fieldView->cursor().pixmap().size(), QSize(18 * scale, 18 * scale));
        EXPECT_EQ(delegate->boxes.at(WindowID::ballSpeed).window->contentView().cursor().hotSpot(),
                  QPoint(8 * scale, 8 * scale));
    }
    delegate->cursorKind = CursorKind::arrow;
    delegate->applyCursor();
    EXPECT_EQ(delegate->fieldView->cursor().shape(), Qt::ArrowCursor);
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

TEST_F(AppDelegateTest, StoredScaleIsUsedOnlyWhenItIsOneOrTwo) {
    QSettings settings(QStringLiteral("Ordnix"), QStringLiteral("Ordnix"));
    const QRect large(0, 0, 1200, 800);
    const QRect small(0, 0, 1000, 700);
    struct Case {
        QVariant stored;
        std::optional<QRect> screen;
        int64_t scale;
    };
    const std::vector<Case> cases = {
        {QVariant(), large, 2},        {QVariant(), small, 1},       {QVariant(), std::nullopt, 1},
        {QVariant(3), large, 2},       {QVariant(3), small, 1},      {QVariant(0), large, 2},
        {QVariant("two"), large, 2},   {QVariant(1), large, 1},      {QVariant(2), small, 2},
        {QVariant(2), std::nullopt, 2}, {QVariant(-1), small, 1},
    };
    for (const Case& c : cases) {
        if (c.stored.isValid())
            settings.setValue(Settings::scaleKey, c.stored);
        else
            settings.remove(Settings::scaleKey);
        settings.sync();
        EXPECT_EQ(Settings::scale(c.screen), c.scale) << c.stored.toString().toStdString();
    }
    // Only the View menu stores a scale.
    settings.remove(Settings::scaleKey);
    settings.sync();
    delegate->setScale(2, false);
    EXPECT_FALSE(QSettings(QStringLiteral("Ordnix"), QStringLiteral("Ordnix")).contains(Settings::scaleKey));
    delegate->zoomItems.at(1)->trigger();
    EXPECT_EQ(QSettings(QStringLiteral("Ordnix"), QStringLiteral("Ordnix")).value(Settings::scaleKey).toInt(), 1);
    EXPECT_TRUE(delegate->zoomItems.at(1)->isChecked() && !delegate->zoomItems.at(2)->isChecked());
    EXPECT_EQ(delegate->scale, 1);
}

TEST_F(AppDelegateTest, ClosingTheFieldWindowQuits) {
    delegate->fieldWindow->close();
    EXPECT_TRUE(delegate->host->quitting());
}

TEST(AppDelegateGame, TheGameRunsOnItsThreadAndRestsWhenQuitting) {
    testApplication();
    QSettings(QStringLiteral("Ordnix"), QStringLiteral("Ordnix")).remove(Settings::scaleKey);
    auto delegate = std::make_unique<AppDelegate>();
    delegate->dumpDirectory.clear();
    delegate->launch(true);
    // The first battlefield: "START A BATTLE" on, "STOP A BATTLE" off, and the desert's ground reaches the
    // bottom of the field under a white sky.
    const auto ready = [&delegate] {
        const QImage& shown = delegate->fieldView->shownImage();
        return !delegate->menuStates.empty() && delegate->menuItems.at(262).at(1)->isEnabled() &&
               !delegate->menuItems.at(262).at(2)->isEnabled() && shown.pixel(0, 321) == qRgb(0, 0, 0) &&
               shown.pixel(511, 321) == qRgb(0, 0, 0) && shown.pixel(256, 100) == qRgb(255, 255, 255);
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline && !ready()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        delegate->tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(ready());
    delegate->host->beginQuit();
    EXPECT_TRUE(delegate->host->waitForGameToRest(std::chrono::seconds(60)));
    delegate.reset();
}

} // namespace
