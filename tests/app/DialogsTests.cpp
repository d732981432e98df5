#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <string>
#include <tuple>
#include <vector>

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
        std::string expected(15, '.');
        for (int c = runs[r].first; c >= 0 && c <= runs[r].second; ++c)
            expected[static_cast<size_t>(c)] = '#';
        EXPECT_EQ(rows[r], expected) << "row " << r;
    }
}

TEST(Dialogs, ItemsArePlacedFromTheirRectangles) {
    testApplication();
    const auto outs = Dialogs::outs();
    EXPECT_EQ(outs->windowTitle(), QStringLiteral("Whose Outs?"));
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
    const auto playerType = Dialogs::playerType();
    auto* sierra = qobject_cast<QLabel*>(playerType->control(6));
    ASSERT_NE(sierra, nullptr);
    EXPECT_EQ(sierra->text(), QStringLiteral("Sierra Club ->         (Hit a tree loose 5 points)"));
    const auto about = Dialogs::about();
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Ordnix"));

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

TEST(Dialogs, EveryLabelFitsItsItemWhateverFontTheDesktopUses) {
    QApplication& application = testApplication();
    const QFont desktop = QApplication::font();
    for (const QFont& font : {desktop, QFont(QStringLiteral("DejaVu Sans Mono"), 11), QFont(QStringLiteral("DejaVu Serif"), 14)}) {
        application.setFont(font);
        for (const auto& dialog : {Dialogs::outs(), Dialogs::playerType(), Dialogs::about()}) {
            for (int64_t item = 1; dialog->control(item); ++item) {
                const auto* label = qobject_cast<const QLabel*>(dialog->control(item));
                if (!label)
                    continue;
                const QFontMetrics metrics(label->font());
                const QRect frame = label->geometry();
                const int flags = label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
                const QRect needed = metrics.boundingRect(QRect(0, 0, frame.width(), 10000), flags, label->text());
                const std::string where = font.family().toStdString() + ", " + dialog->windowTitle().toStdString() +
                                          " item " + std::to_string(item);
                EXPECT_LE(needed.width(), frame.width()) << where;
                EXPECT_LE(needed.height(), frame.height()) << where;
                if (frame.height() < 2 * metrics.lineSpacing()) {
                    EXPECT_FALSE(label->wordWrap()) << where;
                }
            }
        }
    }
    application.setFont(desktop);
}

TEST(Dialogs, ClickingARadioLabelClicksItsRadio) {
    testApplication();
    struct Case {
        std::unique_ptr<ClassicDialog> dialog;
        int64_t label;
        std::vector<int64_t> hits;
    };
    Case cases[] = {
        {Dialogs::outs(), 5, {1}},       {Dialogs::outs(), 6, {2}},      {Dialogs::outs(), 4, {}},
        {Dialogs::playerType(), 5, {1}}, {Dialogs::playerType(), 6, {2}}, {Dialogs::playerType(), 4, {}},
    };
    for (Case& c : cases) {
        std::vector<int64_t> hits;
        c.dialog->onHit = [&hits](int64_t item) { hits.push_back(item); };
        c.dialog->setValues({{1, 1}, {2, 0}});
        QWidget* label = c.dialog->control(c.label);
        ASSERT_NE(label, nullptr);
        const QPointF at(3, label->height() / 2);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, label->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(label, &event);
        }
        EXPECT_EQ(hits, c.hits) << c.dialog->windowTitle().toStdString() << " item " << c.label;
        // What the radios show stays the core's business.
        EXPECT_TRUE(c.dialog->radios.at(1)->isChecked() && !c.dialog->radios.at(2)->isChecked());
    }
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
