#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "AppTestSupport.h"
#include "ClassicDialog.h"
#include "Dialogs.h"

namespace {

TEST(Dialogs, TreePictureFollowsItsRuns) {
    const std::vector<std::pair<int, int>> runs = {
        {-1, -1}, {7, 7}, {6, 7}, {6, 7}, {6, 8}, {5, 8}, {6, 8}, {5, 8}, {5, 8}, {5, 9},  {4, 9},  {6, 8},
        {5, 9},   {4, 10}, {3, 10}, {6, 8}, {5, 9}, {4, 10}, {3, 11}, {2, 11}, {6, 8}, {5, 9}, {4, 10}, {3, 11},
        {6, 8},   {5, 9},  {4, 10}, {2, 12}, {1, 13}, {6, 7}, {6, 7}, {6, 7}, {6, 7}, {-1, -1},
    };
    const auto& rows = Dialogs::treeRows();
    ASSERT_EQ(rows.size(), 34u);
    for (size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), 15u) << "row " << r;
        for (int c = 0; c < 15; ++c) {
            const bool inRun = runs[r].first >= 0 && c >= runs[r].first && c <= runs[r].second;
            EXPECT_EQ(rows[r][static_cast<size_t>(c)], inRun ? '#' : '.') << "row " << r << " column " << c;
        }
    }
}

TEST(Dialogs, ImageHasOnePixelPerCharacter) {
    testApplication();
    EXPECT_EQ(ClassicDialog::image({}).size(), QSize(0, 0));
    const QImage image = ClassicDialog::image({"#.", ".#", "x#"});
    ASSERT_EQ(image.size(), QSize(2, 3));
    EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(image.pixel(1, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 2)), 0); // any character but '#' is clear
    EXPECT_EQ(image.pixel(1, 2), qRgba(0, 0, 0, 255));
}

TEST(Dialogs, ItemsArePlacedFromTheirRectangles) {
    testApplication();
    const auto outs = Dialogs::outs();
    EXPECT_EQ(outs->windowTitle(), QStringLiteral("Whose Outs?"));
    EXPECT_EQ(outs->size(), QSize(225, 87 + 6));
    ASSERT_EQ(outs->radios.size(), 2u);

    // The OK button: 6 points wider on each side, natural height, centred on rows 42..71.
    auto* ok = qobject_cast<QPushButton*>(outs->control(3));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(ok->geometry().left(), 165 - 6);
    EXPECT_EQ(ok->geometry().width(), 34 + 12);
    const auto middle = [](const QRect& r) { return r.top() + r.height() / 2.0; };
    EXPECT_NEAR(middle(ok->geometry()), (42 + 71) / 2.0, 0.5);
    EXPECT_TRUE(ok->isDefault());

    // Radios: natural size, left edge on the rectangle, centred vertically.
    EXPECT_EQ(outs->radios.at(1)->geometry().left(), 21);
    EXPECT_NEAR(middle(outs->radios.at(2)->geometry()), (53 + 72) / 2.0, 0.5);
    EXPECT_TRUE(outs->radios.at(1)->text().isEmpty());

    auto* label = qobject_cast<QLabel*>(outs->control(5));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Winners Outs"));
    EXPECT_EQ(label->geometry(), QRect(44, 36, 142 - 44, 50 - 36));

    const auto playerType = Dialogs::playerType();
    EXPECT_EQ(playerType->size(), QSize(365, 118 + 6));
    auto* sierra = qobject_cast<QLabel*>(playerType->control(6));
    ASSERT_NE(sierra, nullptr);
    EXPECT_EQ(sierra->text(), QStringLiteral("Sierra Club ->         (Hit a tree loose 5 points)"));
    ASSERT_NE(playerType->control(9), nullptr);
    EXPECT_EQ(playerType->control(9)->geometry(), QRect(155, 75, 20, 35));
    EXPECT_EQ(playerType->control(10), nullptr);

    const auto about = Dialogs::about();
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Ordnix"));
    EXPECT_EQ(about->size(), QSize(300, 214 + 6));
    auto* aboutOk = qobject_cast<QPushButton*>(about->control(1));
    ASSERT_NE(aboutOk, nullptr);
    EXPECT_EQ(aboutOk->text(), QStringLiteral("OK"));
    ASSERT_NE(about->control(8), nullptr);
    EXPECT_EQ(about->control(8)->geometry(), QRect(229, 28, 53, 45));
    EXPECT_EQ(about->control(9), nullptr);

    EXPECT_EQ(Dialogs::make(999), nullptr);
    EXPECT_NE(Dialogs::make(Dialogs::outsId), nullptr);
}

TEST(Dialogs, RadiosShowTheCoreValuesNotTheClick) {
    testApplication();
    const auto outs = Dialogs::outs();
    std::vector<int64_t> hits;
    outs->onHit = [&hits](int64_t item) { hits.push_back(item); };
    outs->setValues({{1, 1}, {2, 0}});
    outs->show();
    outs->radios.at(2)->click();
    EXPECT_EQ(hits, std::vector<int64_t>{2});
    EXPECT_TRUE(outs->radios.at(1)->isChecked());
    EXPECT_FALSE(outs->radios.at(2)->isChecked());

    outs->setValues({{1, 0}, {2, 1}});
    EXPECT_FALSE(outs->radios.at(1)->isChecked());
    EXPECT_TRUE(outs->radios.at(2)->isChecked());
}

TEST(Dialogs, ReturnPressesOKAndEscapeDoesNotCloseTheSheet) {
    testApplication();
    const auto playerType = Dialogs::playerType();
    std::vector<int64_t> hits;
    playerType->onHit = [&hits](int64_t item) { hits.push_back(item); };
    playerType->show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(playerType.get(), &escape);
    EXPECT_TRUE(playerType->isVisible());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(playerType.get(), &enter);
    EXPECT_EQ(hits, std::vector<int64_t>{3});
    EXPECT_TRUE(playerType->isVisible());
}

} // namespace
