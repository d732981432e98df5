// KeyPlay: the keyboard's way into the game and the screen reader's view of it, on the desktop side.
//
// Keys pressed in the field window (its view and box windows) go to the KeyDriver, except while the
// menu bar has the keyboard and except chords with Ctrl or Alt, which stay the menus' and shortcuts'.
// The driver's news moves the focus mark (a frame the views draw over the game's picture) and is
// spoken by the Speaker. "START A BATTLE" and "STOP A BATTLE" get shortcuts; the menu bar walks with
// Alt and the arrow keys; the host's menu gets a "Keys…" entry that lists every binding.
#pragma once

#include <memory>
#include <optional>

#include <QObject>
#include <QPointer>
#include <QString>

#include "KeyDriver.h"
#include "Speaker.h"

class AppDelegate;
class QMenu;
class QMessageBox;

class KeyPlay : public QObject {
public:
    KeyPlay(AppDelegate& delegate, std::shared_ptr<KeyDriver> keys, QMenu* hostMenu);
    ~KeyPlay() override;

    // The game's key for a Qt key with these modifiers; none for keys the game leaves alone.
    static std::optional<KeyDriver::KeyPress> keyFor(int qtKey, Qt::KeyboardModifiers modifiers);
    // Every binding, one per line: the text of the "Keys…" entry.
    static QString bindings();

    Speaker& speaker() { return *speaker_; }
    // Shows the news's focus mark on the view of its window, and no mark elsewhere.
    void showMark(const KeyDriver::News& news);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showKeys();

    AppDelegate& delegate_;
    std::shared_ptr<KeyDriver> keys_;
    std::unique_ptr<Speaker> speaker_;
    QPointer<QMessageBox> keysBox_;
};
