#include "AppDelegate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include "Cursors.h"
#include "Dialogs.h"
#include "GameThread.h"
#include "ScreenDump.h"
#include "Ordnix.h"
#include "Settings.h"

namespace {

struct GameMenu {
    int64_t id;
    const char* title;
    std::vector<const char*> items;
};

const std::vector<GameMenu>& gameMenus() {
    static const std::vector<GameMenu> menus = {
        {258, "Terrain", {"DESERT", "HILL AND DALE", "FOOTHILLS", "MOUNTAINS", "DO IT YOURSELF"}},
        {259, "Targets", {"HOSPITALS", "COMMAND POSTS", "TREES", "-", "SET TARGET VALUES"}},
        {260, "Wind", {"NONE", "LIGHT", "GUSTY"}},
        {261, "R&R", {"NEW GAME", "NEW BATTLEFIELD", "HIDE SETTINGS", "OUTS", "PLAYER TYPE", "SET BALL SPEED"}},
        {262, "Battle", {"START A BATTLE", "STOP A BATTLE"}},
        {263, "Sound", {"OFF", "MIN.", "2", "3", "4", "5", "6", "MAX."}},
        {264, "Explosions", {"TUNNELS", "LANDSLIDES"}},
    };
    return menus;
}

constexpr int64_t aboutMenu = 256;

// Qt reads '&' in menu texts as a mnemonic marker; a literal one is doubled.
QString menuText(const char* text) { return QString::fromUtf8(text).replace(QLatin1Char('&'), QLatin1String("&&")); }

QString boolList(const std::vector<bool>& flags) {
    QStringList words;
    for (size_t i = 1; i < flags.size(); ++i)
        words << (flags[i] ? QStringLiteral("true") : QStringLiteral("false"));
    return QLatin1Char('[') + words.join(QStringLiteral(", ")) + QLatin1Char(']');
}

AppHost::ScreenPoint screenPoint(QPointF p) { return AppHost::ScreenPoint{p.x(), p.y()}; }

// The game-pixel offset of a window from the field view's top-left: its bounds against the field's.
QPoint offsetFromField(WindowID id) {
    const QuickDraw::Rect bounds = windowBounds(id);
    return QPoint(static_cast<int>(bounds.left), static_cast<int>(bounds.top - 20));
}

} // namespace

// ---- FieldWindow ----

void FieldWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    onClose();
}

void FieldWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    onGeometry();
}

void FieldWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    onGeometry();
}

void FieldWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    onGeometry();
}

// ---- AppDelegate ----

AppDelegate::AppDelegate() : host(std::make_shared<AppHost>()) {
    dumpDirectory = qEnvironmentVariable("ORDNIX_DUMP");
}

AppDelegate::~AppDelegate() {
    timer.stop();
    closeRequests.reset();
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
    endSheet();
    boxes.clear();
    fieldView.reset();
    fieldWindow.reset();
}

void AppDelegate::launch(bool startGame) {
    host->app = this;

    fieldWindow = std::make_unique<FieldWindow>();
    fieldWindow->setWindowTitle(QStringLiteral("Ordnix"));
    fieldWindow->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                                Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    fieldWindow->onClose = [this] { quit(); };
    fieldWindow->onGeometry = [this] { updateFieldRect(); };
    makeMenuBar();

    game = std::make_shared<Ordnix>(coreHost ? coreHost : std::shared_ptr<MacHost>(host));
    fieldView = std::make_unique<ScreenView>(game->window(WindowID::field));
    // The field sits at the top-left of a surface as wide as the menu bar needs, so that no game
    // menu falls into the bar's overflow button when the desktop font is large.
    fieldSurface = new QWidget;
    fieldView->setParent(fieldSurface);
    fieldView->move(0, 0);
    fieldWindow->setCentralWidget(fieldSurface);
    fieldWindow->layout()->setSizeConstraint(QLayout::SetFixedSize);

    QScreen* screen = QGuiApplication::primaryScreen();
    setScale(Settings::scale(screen ? std::optional<QRect>(screen->availableGeometry()) : std::nullopt), false);

    fieldWindow->adjustSize();
    if (screen) {
        QRect frame = fieldWindow->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        fieldWindow->move(frame.topLeft());
    }
    fieldWindow->show();
    fieldWindow->raise();
    fieldWindow->activateWindow();
    if (QWindow* handle = fieldWindow->windowHandle())
        // Another screen may have another device-pixel ratio: the views size themselves anew.
        connect(handle, &QWindow::screenChanged, this, [this] { setScale(scale, false); });
    updateFieldRect();

    qApp->installEventFilter(this);
    closeRequests = std::make_unique<CloseRequests>(fieldWindow.get(), [this] {
        QMetaObject::invokeMethod(this, [this] { quit(); }, Qt::QueuedConnection);
    });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &AppDelegate::keepKeysOnTheSheet, Qt::QueuedConnection);

    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &AppDelegate::tick, Qt::UniqueConnection);
    if (!startGame)
        return;
    ticking = true;
    startTicks();

    // The thread holds the game and the host until run() returns, then lets go of both before it
    // says it rests, so neither is ever destroyed on the game thread.
    AppDelegate* self = this;
    gameStarted = GameThread::start([game = game, host = host, rest = host->rest(), run = runGame, self]() mutable {
        if (run)
            run(*game);
        else
            game->run();
        QMetaObject::invokeMethod(self, [self] { self->quit(); }, Qt::QueuedConnection);
        game.reset();
        host.reset();
        rest->announce();
    });
    if (!gameStarted) {
        std::fprintf(stderr, "Ordnix: cannot start the game thread\n");
        QMetaObject::invokeMethod(this, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    }
    fieldWindow->activateWindow();
}

void AppDelegate::makeMenuBar() {
    QMenuBar* bar = fieldWindow->menuBar();
    bar->setNativeMenuBar(false);

    QMenu* application = bar->addMenu(QStringLiteral("Ordnix"));
    QAction* about = application->addAction(QString::fromUtf8("About Ordnix\u2026"));
    const int64_t aboutTag = aboutMenu * 65536 + 1;
    connect(about, &QAction::triggered, this, [this, aboutTag] { gameMenuItem(aboutTag); });
    about->setEnabled(false);
    menuItems[aboutMenu][1] = about;
    application->addSeparator();
    quitItem = application->addAction(QStringLiteral("Quit Ordnix"));
    quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Wherever the keyboard is (a sheet, a box window, the field), as long as the key reaches the program.
    quitItem->setShortcutContext(Qt::ApplicationShortcut);
    connect(quitItem, &QAction::triggered, this, [this] { quit(); });

    QMenu* view = bar->addMenu(QStringLiteral("View"));
    const std::pair<int64_t, const char*> zooms[] = {{1, "Actual Size"}, {2, "Double Size"}};
    for (const auto& [tag, title] : zooms) {
        QAction* item = view->addAction(QString::fromUtf8(title));
        item->setShortcut(QKeySequence(Qt::CTRL | (tag == 1 ? Qt::Key_1 : Qt::Key_2)));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, tag] { zoom(tag); });
        zoomItems[tag] = item;
    }

    for (const GameMenu& menu : gameMenus()) {
        QMenu* qmenu = bar->addMenu(menuText(menu.title));
        menuTitles[menu.id] = qmenu->menuAction();
        int64_t number = 0;
        for (const char* title : menu.items) {
            ++number;
            if (QLatin1String(title) == QLatin1String("-")) {
                qmenu->addSeparator();
                continue;
            }
            QAction* item = qmenu->addAction(menuText(title));
            const int64_t tag = menu.id * 65536 + number;
            connect(item, &QAction::triggered, this, [this, tag] { gameMenuItem(tag); });
            // Nothing is clickable until the game has published its menus and polls for a choice.
            item->setEnabled(false);
            menuItems[menu.id][number] = item;
        }
    }
}

void AppDelegate::updateMenus() {
    const bool ready = host->isReady();
    if (menuStates.empty())
        return;
    for (const MenuState& state : menuStates) {
        if (const auto title = menuTitles.find(state.id); title != menuTitles.end())
            title->second->setEnabled(state.enabled);
        const auto items = menuItems.find(state.id);
        if (items == menuItems.end())
            continue;
        for (const auto& [number, item] : items->second) {
            const size_t i = static_cast<size_t>(number);
            const bool enabled = ready && state.enabled && i < state.itemEnabled.size() && state.itemEnabled[i];
            const bool checked = i < state.itemChecked.size() && state.itemChecked[i];
            item->setEnabled(enabled);
            // Only a checked item is checkable, so unchecked items show no empty box.
            item->setCheckable(checked);
            item->setChecked(checked);
        }
    }
}

void AppDelegate::gameMenuItem(int64_t tag) {
    host->choose(tag >> 16, tag & 0xFFFF);
    // Qt toggled the item's check mark itself; what it shows is the game's business.
    updateMenus();
}

void AppDelegate::zoom(int64_t tag) { setScale(tag, true); }

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        mouseEvent(watched, static_cast<const QMouseEvent&>(*event));
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // The field view moves inside its window when the menu bar settles its height.
        if (fieldView && watched == fieldView.get())
            updateFieldRect();
        break;
    default:
        break;
    }
    return false;
}

bool AppDelegate::isGameSurface(QObject* receiver) const {
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (!widget || !fieldView)
        return false;
    if (widget == fieldView.get())
        return true;
    for (const auto& [id, entry] : boxes)
        if (widget == entry.window.get() || entry.window->isAncestorOf(widget))
            return true;
    return false;
}

void AppDelegate::mouseEvent(QObject* receiver, const QMouseEvent& event) {
    // A widget's event carries its global position in whole points; its local position keeps the
    // fraction that matters on a fractionally scaled desktop.
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    lastPointer = widget ? widget->mapToGlobal(event.position()) : event.globalPosition();
    const AppHost::ScreenPoint pointer = screenPoint(lastPointer);
    const bool left = event.button() == Qt::LeftButton;
    switch (event.type()) {
    case QEvent::MouseButtonRelease:
        if (left) {
            host->mouseReleased(pointer);
            return;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (left && isGameSurface(receiver)) {
            host->mousePressed(pointer);
            return;
        }
        break;
    default:
        break;
    }
    host->mouseMoved(pointer);
}

void AppDelegate::startTicks() { timer.start(static_cast<int>(schedule.restart(TickSchedule::now()))); }

void AppDelegate::tick() {
    if (ticking)
        timer.start(static_cast<int>(schedule.next(TickSchedule::now())));
    // Asking the display server for the pointer is a round trip; it is only worth it while the game
    // reads the pointer. Pointer events keep the position current in any case.
    if (host->pointerWanted())
        host->mouseMoved(screenPoint(pointerNow()));
    if (fieldView)
        fieldView->refresh();
    for (auto& [id, entry] : boxes)
        if (!entry.window->isHidden())
            entry.window->contentView().refresh();
    ++ticks;
    if (ticks % 60 == 0 && !dumpDirectory.isEmpty())
        dump(dumpDirectory);
}

QPointF AppDelegate::pointerNow() const {
    // QCursor::pos() is in whole points; on a fractionally scaled desktop a point is more than a
    // device pixel, so the last event's finer position stays while the sample agrees with it.
    const QPointF sampled = QCursor::pos();
    const QPointF difference = sampled - lastPointer;
    return std::abs(difference.x()) < 1 && std::abs(difference.y()) < 1 ? lastPointer : sampled;
}

void AppDelegate::gameSleeps() {
    if (fieldView)
        fieldView->refresh();
    for (auto& [id, entry] : boxes)
        if (!entry.window->isHidden())
            entry.window->contentView().refresh();
    if (dumpDirectory.isEmpty())
        timer.stop();
}

void AppDelegate::gameWakes() {
    if (ticking && !timer.isActive())
        startTicks();
}

void AppDelegate::applyCursor() {
    const QCursor cursor = Cursors::cursor(cursorKind, scale);
    if (fieldView)
        fieldView->setCursor(cursor);
    for (auto& [id, entry] : boxes)
        entry.window->contentView().setCursor(cursor);
}

void AppDelegate::showCursor(bool visible) {
    if (visible) {
        if (hiddenCursor < 1)
            return;
        --hiddenCursor;
        QGuiApplication::restoreOverrideCursor();
    } else {
        ++hiddenCursor;
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    }
}

// ---- alerts and dialogs ----

void AppDelegate::runAlert(int64_t id) {
    std::unique_ptr<ClassicDialog> sheet = Dialogs::make(id, fieldWindow.get());
    if (!sheet) {
        host->dialogHit(1);
        return;
    }
    sheet->onHit = [this](int64_t item) {
        endSheet();
        host->dialogHit(item);
    };
    beginSheet(std::move(sheet));
}

void AppDelegate::openDialog(int64_t id, const std::map<int64_t, int64_t>& values) {
    std::unique_ptr<ClassicDialog> sheet = Dialogs::make(id, fieldWindow.get());
    if (!sheet)
        return;
    sheet->setValues(values);
    sheet->onHit = [this](int64_t item) { host->dialogHit(item); };
    beginSheet(std::move(sheet));
}

void AppDelegate::updateDialog(const std::map<int64_t, int64_t>& values) {
    if (dialog)
        dialog->setValues(values);
}

void AppDelegate::closeDialog() { endSheet(); }

void AppDelegate::beginSheet(std::unique_ptr<ClassicDialog> sheet) {
    endSheet();
    sheet->setWindowModality(Qt::WindowModal);
    // The field window's shortcuts are blocked while its sheet is up; quitting must still work.
    if (quitItem)
        sheet->addAction(quitItem);
    dialog = std::move(sheet);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void AppDelegate::keepKeysOnTheSheet() {
    if (!dialog || !dialog->isVisible() || !fieldWindow)
        return;
    if (QGuiApplication::focusWindow() == fieldWindow->windowHandle())
        dialog->activateWindow();
}

void AppDelegate::endSheet() {
    if (!dialog)
        return;
    dialog->hide();
    // The sheet may be inside one of its own buttons' signals right now: delete it afterwards.
    dialog.release()->deleteLater();
    // Keys (the quit and zoom shortcuts) go to the field window again, with or without a window manager.
    if (fieldWindow)
        fieldWindow->activateWindow();
}

// ---- window layout ----

void AppDelegate::show(const Window& window) {
    const WindowID id = window.id();
    if (id == WindowID::field || !fieldView)
        return;
    auto entry = boxes.find(id);
    if (entry == boxes.end()) {
        auto content = std::make_unique<ScreenView>(window);
        content->alignTo(fieldView.get(), offsetFromField(id));
        auto box = std::make_unique<DoubleBoxView>(std::move(content));
        DoubleBoxView* boxView = box.get();
        auto boxWindow = std::make_unique<BoxWindow>(std::move(box), fieldView.get());
        entry = boxes.emplace(id, Box{std::move(boxWindow), boxView}).first;
    }
    Box& pair = entry->second;
    pair.box->layout(scale);
    pair.window->fitBox();
    position(id);
    pair.window->contentView().setCursor(Cursors::cursor(cursorKind, scale));
    pair.window->show();
    pair.window->raise();
    pair.window->contentView().refresh();
}

void AppDelegate::hide(const Window& window) {
    const auto entry = boxes.find(window.id());
    if (entry == boxes.end())
        return;
    entry->second.window->contentView().refresh();
    entry->second.window->hide();
}

void AppDelegate::position(WindowID id) {
    const auto entry = boxes.find(id);
    if (entry == boxes.end())
        return;
    // The content goes to the whole point at or before the field pixel it covers; the content view
    // itself draws from the exact device pixel on (ScreenView::alignTo).
    const double pixel = fieldView->pointsPerPixel();
    const QPoint offset = offsetFromField(id);
    const QPointF target = fieldView->imageOffset() + QPointF(offset.x() * pixel, offset.y() * pixel);
    const QPoint content(static_cast<int>(std::floor(target.x() + 1e-6)), static_cast<int>(std::floor(target.y() + 1e-6)));
    entry->second.window->move(content - entry->second.window->contentView().pos());
}

void AppDelegate::setScale(int64_t newScale, bool save) {
    scale = newScale;
    fieldView->setScale(scale);
    for (auto& [id, entry] : boxes) {
        entry.box->layout(scale);
        entry.window->fitBox();
        position(id);
    }
    fieldSurface->setFixedSize(std::max(fieldView->width(), fieldWindow->menuBar()->sizeHint().width()),
                               fieldView->height());
    fieldWindow->adjustSize();
    applyCursor();
    for (const auto& [tag, item] : zoomItems)
        item->setChecked(tag == scale);
    if (save)
        Settings::storeScale(scale);
    updateFieldRect();
}

void AppDelegate::updateFieldRect() {
    if (!fieldView)
        return;
    // Where the field's pixels start depends on its place in the window at a fractional ratio.
    for (const auto& [id, entry] : boxes)
        position(id);
    const QPointF origin = fieldView->mapToGlobal(fieldView->imageOffset());
    host->setFieldRect(AppHost::ScreenRect{origin.x(), origin.y(), static_cast<double>(fieldView->width()),
                                           static_cast<double>(fieldView->height())},
                       fieldView->pointsPerPixel());
}

// ---- the diagnostic dump ----

QString AppDelegate::windowName(WindowID id) {
    switch (id) {
    case WindowID::field:
        return QStringLiteral("field");
    case WindowID::targets:
        return QStringLiteral("targets");
    case WindowID::ballSpeed:
        return QStringLiteral("ballSpeed");
    }
    return QStringLiteral("window");
}

QString AppDelegate::menusText(const std::vector<MenuState>& states, bool ready) {
    QStringList lines;
    for (const MenuState& state : states)
        lines << QStringLiteral("%1 enabled=%2 items=%3 checked=%4")
                     .arg(state.id)
                     .arg(state.enabled ? QStringLiteral("true") : QStringLiteral("false"))
                     .arg(boolList(state.itemEnabled))
                     .arg(boolList(state.itemChecked));
    return lines.join(QLatin1Char('\n')) + QStringLiteral("\nready=") +
           (ready ? QStringLiteral("true") : QStringLiteral("false")) + QLatin1Char('\n');
}

void AppDelegate::dump(const QString& directory) {
    const QDir dir(directory);
    if (!dir.exists() || !fieldView)
        return;
    std::vector<const Window*> shown;
    for (const auto& [id, entry] : boxes)
        if (!entry.window->isHidden())
            shown.push_back(&entry.window->contentView().window_);
    ScreenDump::write(dir, fieldView->window_, shown, menuStates, host->isReady());
}

// ---- quitting ----

void AppDelegate::quit() {
    if (quitting)
        return;
    quitting = true;
    ticking = false;
    timer.stop();
    host->beginQuit();
    if (gameStarted && !host->waitForGameToRest(std::chrono::milliseconds(700))) {
        // The game thread is stuck outside every host call: nothing it may be using can be torn
        // down safely, so the process ends here, at once.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    if (onGameRested)
        onGameRested();
    host->shutDownSound();
    // Not quit(): in Qt 6 that first asks every window to close, and the field window answers a close
    // by coming here.
    QCoreApplication::exit(0);
}
