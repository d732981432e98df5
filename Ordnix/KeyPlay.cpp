#include "KeyPlay.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>

#include "AppDelegate.h"

namespace {
constexpr int64_t battleMenu = 262;

// Qt's own menu-bar walk (Alt, then the arrows) where the desktop's style leaves it off.
class AltWalkStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QRect qRect(const QuickDraw::Rect& r) {
    return QRect(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                 static_cast<int>(r.bottom - r.top));
}
} // namespace

KeyPlay::KeyPlay(AppDelegate& delegate, std::shared_ptr<KeyDriver> keys, QMenu* hostMenu)
    : delegate_(delegate), keys_(std::move(keys)) {
    speaker_ = std::make_unique<Speaker>(delegate_.fieldView.get());
    speaker_->listen(*keys_, [self = QPointer<KeyPlay>(this)](const KeyDriver::News& news) {
        if (self)
            self->showMark(news);
    });
    delegate_.fieldView->setFocusPolicy(Qt::StrongFocus);
    delegate_.fieldView->setFocus();

    auto& battle = delegate_.menuItems[battleMenu];
    if (battle.count(1))
        battle[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    if (battle.count(2))
        battle[2]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Period));

    QMenuBar* bar = delegate_.fieldWindow->menuBar();
    if (!bar->style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, bar)) {
        auto* style = new AltWalkStyle;
        style->setParent(bar);
        bar->setStyle(style);
    }
    if (hostMenu) {
        hostMenu->addSeparator();
        connect(hostMenu->addAction(QString::fromUtf8("Keys\u2026")), &QAction::triggered, this, &KeyPlay::showKeys);
    }
    qApp->installEventFilter(this);
}

KeyPlay::~KeyPlay() {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
    keys_->setListener({});
    if (keysBox_)
        delete keysBox_.data();
}

std::optional<KeyDriver::KeyPress> KeyPlay::keyFor(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const bool shift = modifiers & Qt::ShiftModifier;
    using Key = KeyDriver::Key;
    switch (qtKey) {
    case Qt::Key_Left:
        return KeyDriver::KeyPress{Key::left, shift};
    case Qt::Key_Right:
        return KeyDriver::KeyPress{Key::right, shift};
    case Qt::Key_Up:
        return KeyDriver::KeyPress{Key::up, shift};
    case Qt::Key_Down:
        return KeyDriver::KeyPress{Key::down, shift};
    case Qt::Key_Tab:
        return KeyDriver::KeyPress{shift ? Key::backTab : Key::tab, false};
    case Qt::Key_Backtab:
        return KeyDriver::KeyPress{Key::backTab, false};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyDriver::KeyPress{Key::enter, shift};
    case Qt::Key_Space:
        return KeyDriver::KeyPress{Key::space, shift};
    default:
        return std::nullopt;
    }
}

QString KeyPlay::bindings() {
    return QStringLiteral(
        "During a turn:\n"
        "  Left / Right: the focused slider by 1 (with Shift: by 10)\n"
        "  Up / Down: focus on Powder / Elevation\n"
        "  Return or Space: Fire\n"
        "Target values and ball speed screens:\n"
        "  Tab / Shift+Tab: next / previous control\n"
        "  Arrows: change the focused value (with Shift: by 10)\n"
        "  Space: press the focused button; Return: OK\n"
        "Dialogs:\n"
        "  Arrows: choose among the radio buttons; Return: OK\n"
        "Menus:\n"
        "  Alt, then the arrow keys and Return: every menu and item\n"
        "  Ctrl+B: START A BATTLE; Ctrl+.: STOP A BATTLE\n"
        "  Ctrl+1 / Ctrl+2: Actual / Double Size; Ctrl+Q: Quit Ordnix\n"
        "The field editor (DO IT YOURSELF) is drawn with the mouse only.");
}

void KeyPlay::showKeys() {
    if (!keysBox_) {
        keysBox_ = new QMessageBox(QMessageBox::Information, QStringLiteral("Keys"), bindings(), QMessageBox::Ok,
                                   delegate_.fieldWindow.get());
        keysBox_->setModal(false);
    }
    keysBox_->show();
    keysBox_->raise();
    keysBox_->activateWindow();
}

void KeyPlay::showMark(const KeyDriver::News& news) {
    const auto place = [&](ScreenView* view, WindowID id) {
        if (view)
            view->setFocusMark(news.mark && news.mark->window == id ? qRect(news.mark->rect) : QRect());
    };
    place(delegate_.fieldView.get(), WindowID::field);
    for (auto& [id, box] : delegate_.boxes)
        place(&box.window->contentView(), id);
}

bool KeyPlay::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !delegate_.fieldWindow || widget->window() != delegate_.fieldWindow.get())
        return false;
    QMenuBar* bar = delegate_.fieldWindow->menuBar();
    if (qobject_cast<QMenuBar*>(widget) || qobject_cast<QMenu*>(widget) || bar->activeAction())
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const std::optional<KeyDriver::KeyPress> press = keyFor(key.key(), key.modifiers());
    if (!press)
        return false;
    keys_->press(*press);
    delegate_.host->inputArrived();
    return true;
}
