#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

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
    for (int m = 0; m < static_cast<int>(menus.size()); ++m) {
        const auto& [title, items] = menus[static_cast<size_t>(m)];
        const QList<QAction*> actions = menu(m)->actions();
        QStringList shown;
        for (const QAction* action : actions)
            shown << (action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(plain(bar().actions().at(m)->text()), title);
        ASSERT_EQ(shown, items);
        if (m < 2)
            continue;
        // A command is registered under its menu and 1-based item number (a separator counts).
        const int64_t id = 256 + m;
        for (int i = 0; i < actions.size(); ++i)
            EXPECT_TRUE(actions.at(i)->isSeparator() || delegate->menuItems.at(id).at(i + 1) == actions.at(i)) << id << " " << i;
        EXPECT_EQ(delegate->menuTitles.at(id), bar().actions().at(m));
    }
    EXPECT_EQ(delegate->menuItems.at(256).at(1), menu(0)->actions().at(0));
    EXPECT_EQ(delegate->menuItems.count(257), 0u);
    EXPECT_EQ(menu(0)->actions().at(2)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(menu(1)->actions().at(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+1")));
    EXPECT_EQ(menu(1)->actions().at(1)->shortcut(), QKeySequence(QStringLiteral("Ctrl+2")));
}

TEST_F(AppDelegateTest, TitlesFollowTheGameAndItemsAreLiveOnlyWhileItPolls) {
    delegate->menuStates = {
        MenuState{256, true, {true, true, true}, {false, false, false}},
        MenuState{260, true, {true, true, false, true}, {false, false, true, false}},
        MenuState{262, false, {true, true, true}, {false, true, false}},
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
}

} // namespace
