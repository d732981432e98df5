// AppDelegate: the desktop application's shell and the owner of everything it shows.
//
// At launch it builds the field window with its menu bar and view, starts the 60 Hz tick and the
// pointer filter, and runs the game's main routine on the game thread. Afterwards it is driven by the
// player (menus, pointer), the tick (redraw, pointer sampling, the ORDNIX_DUMP diagnostic) and the
// work items AppHost queues on the game's behalf. Everything here runs on the main thread; host fields
// are touched only through AppHost's locked entry points and bitmaps only under screenLock.
//
// Menus: a game menu's title follows the game's menu state at all times; the commands inside are
// enabled only while the game polls for menu choices (the host's readiness), so a choice made while
// the game is busy is never queued.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QTimer>

#include "AppHost.h"
#include "BoxWindow.h"
#include "ClassicDialog.h"
#include "CloseRequests.h"
#include "ScreenView.h"
#include "TickSchedule.h"
#include "ToolboxTypes.h"

class Ordnix;
class QAction;
class QMouseEvent;

// The titled main window. Closing it quits; moving or resizing it tells the owner.
class FieldWindow : public QMainWindow {
    Q_OBJECT
public:
    using QMainWindow::QMainWindow;
    std::function<void()> onClose = [] {};
    std::function<void()> onGeometry = [] {};

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

class AppDelegate : public QObject {
    Q_OBJECT
public:
    struct Box {
        std::unique_ptr<BoxWindow> window;
        DoubleBoxView* box = nullptr;
    };

    AppDelegate();
    ~AppDelegate() override;

    std::shared_ptr<AppHost> host;
    std::shared_ptr<Ordnix> game;
    std::unique_ptr<FieldWindow> fieldWindow;
    std::unique_ptr<ScreenView> fieldView;
    // The field window's central widget: the field view at its top-left, widened to the menu bar's
    // needs. Owned by the field window.
    QWidget* fieldSurface = nullptr;
    std::map<WindowID, Box> boxes;
    QTimer timer;
    std::unique_ptr<ClassicDialog> dialog;
    int64_t hiddenCursor = 0;
    std::vector<MenuState> menuStates;
    std::map<int64_t, QAction*> menuTitles;
    std::map<int64_t, std::map<int64_t, QAction*>> menuItems;
    std::map<int64_t, QAction*> zoomItems;
    CursorKind cursorKind = CursorKind::arrow;
    int64_t ticks = 0;
    int64_t scale = 1;
    QAction* quitItem = nullptr;
    // The ORDNIX_DUMP directory; empty when no dump is wanted.
    QString dumpDirectory;
    // Set before launch() to put a host between the game and `host` (recording, replay).
    std::shared_ptr<MacHost> coreHost;
    // Set before launch() to run the game another way than game.run() (on the game thread).
    std::function<void(Ordnix&)> runGame;
    // Called on the main thread when quitting, once the game thread can no longer touch the game.
    std::function<void()> onGameRested;

    // The launch sequence. Without `startGame` everything is built but the game thread is not started
    // and the tick timer is not running (tests drive the steps themselves).
    void launch(bool startGame = true);
    void makeMenuBar();
    void updateMenus();
    void gameMenuItem(int64_t tag);
    void zoom(int64_t tag);
    // Records the pointer and the button in the host; `receiver` is the object the event is for.
    void mouseEvent(QObject* receiver, const QMouseEvent& event);
    void tick();
    // The pointer's screen position now, as finely as it is known.
    QPointF pointerNow() const;
    // The game thread waits for input alone: show what it drew, then let the tick rest (the
    // diagnostic dump keeps it running). It woke up: tick again.
    void gameSleeps();
    void gameWakes();
    void applyCursor();
    void showCursor(bool visible);
    void runAlert(int64_t id);
    void openDialog(int64_t id, const std::map<int64_t, int64_t>& values);
    void updateDialog(const std::map<int64_t, int64_t>& values);
    void closeDialog();

    // Window layout.
    void show(const Window& window);
    void hide(const Window& window);
    void setScale(int64_t newScale, bool save);
    void position(WindowID id);
    void updateFieldRect();

    // Writes field.png, the visible boxes' PNGs and menus.txt into an existing directory; every
    // failure skips that file silently.
    void dump(const QString& directory);
    // The text of menus.txt.
    static QString menusText(const std::vector<MenuState>& states, bool ready);
    static QString windowName(WindowID id);

    // Ends the application promptly from any state of the game: the game thread is parked (or has
    // ended) before anything it uses is torn down.
    void quit();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isGameSurface(QObject* receiver) const;
    // A window blocked by a sheet drops every key, the quit key included: the sheet takes the keyboard
    // back whenever the field window gets it (a click on the field under a sheet).
    void keepKeysOnTheSheet();
    void beginSheet(std::unique_ptr<ClassicDialog> sheet);
    void endSheet();

    // The last pointer event's position (fractional on a fractionally scaled desktop).
    QPointF lastPointer;
    void startTicks();

    TickSchedule schedule;
    bool ticking = false;
    std::unique_ptr<CloseRequests> closeRequests;
    bool gameStarted = false;
    bool quitting = false;
};
