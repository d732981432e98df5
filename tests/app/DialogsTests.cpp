#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <tuple>
#include <vector>

#include "AppTestSupport.h"
#include "ClassicDialog.h"
#include "Dialogs.h"

namespace {

TEST(Dialogs, ItemsArePlacedFromTheirRectangles) {
    testApplication();
    const auto outs = Dialogs::outs();
    ASSERT_EQ(outs->radios.size(), 2u);

    // The OK button: 6 points wider on each side, natural height, centred on rows 42..71.
    auto* ok = qobject_cast<QPushButton*>(outs->control(3));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry().left(), 165 - 6);
    EXPECT_EQ(ok->geometry().width(), 34 + 12);
    const auto middle = [](const QRect& r) { return r.top() + r.height() / 2.0; };
    EXPECT_NEAR(middle(ok->geometry()), (42 + 71) / 2.0, 0.5);
    EXPECT_TRUE(ok->isDefault());

    // Radios: natural size, left edge on the rectangle, centred vertically.
    EXPECT_EQ(outs->radios.at(1)->geometry().left(), 21);
    EXPECT_NEAR(middle(outs->radios.at(2)->geometry()), (53 + 72) / 2.0, 0.5);

    auto* label = qobject_cast<QLabel*>(outs->control(5));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Winners Outs"));
    const auto playerType = Dialogs::playerType();
    auto* sierra = qobject_cast<QLabel*>(playerType->control(6));
    ASSERT_NE(sierra, nullptr);
    EXPECT_EQ(sierra->text(), QStringLiteral("Sierra Club ->         (Hit a tree loose 5 points)"));
    const auto about = Dialogs::about();

    // Window: the dialog's rectangle, 6 taller; pictures and texts: exactly their rectangles; none past the last.
    for (const auto& [dialog, size, item, rect] :
         {std::tuple{outs.get(), QSize(225, 87 + 6), 5, QRect(44, 36, 142 - 44, 50 - 36)},
          std::tuple{playerType.get(), QSize(365, 118 + 6), 9, QRect(155, 75, 20, 35)},
          std::tuple{about.get(), QSize(300, 214 + 6), 8, QRect(229, 28, 53, 45)}}) {
        EXPECT_EQ(dialog->size(), size) << dialog->windowTitle().toStdString();
        ASSERT_NE(dialog->control(item), nullptr) << item;
        EXPECT_EQ(dialog->control(item)->geometry(), rect) << item;
    }
    EXPECT_TRUE(playerType->control(10) == nullptr && about->control(9) == nullptr);
    EXPECT_EQ(Dialogs::make(999), nullptr);
}

// Return presses OK in every sheet; Escape answers only the About box (as its OK), the others wait.
TEST(Dialogs, ReturnPressesOKAndEscapeAnswersOnlyTheAboutBox) {
    testApplication();
    const std::vector<std::tuple<const char*, int64_t, int64_t, std::vector<int64_t>>> cases = {
        {"outs", Dialogs::outsId, 3, {}}, {"player type", Dialogs::playerTypeId, 3, {}}, {"about", Dialogs::aboutId, 1, {1}}};
    for (const auto& [name, id, ok, escapeHits] : cases) {
        const auto dialog = Dialogs::make(id);
        std::vector<int64_t> hits;
        dialog->onHit = [&hits](int64_t item) { hits.push_back(item); };
        dialog->show();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &escape);
        EXPECT_EQ(hits, escapeHits) << name;
        EXPECT_TRUE(dialog->isVisible()) << name << ": only the owner closes a sheet";
        hits.clear();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &enter);
        EXPECT_EQ(hits, std::vector<int64_t>{ok}) << name;
    }
}

} // namespace
