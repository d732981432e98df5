// Speaker: the game as a screen reader meets it, through Qt's accessibility interface (AT-SPI on
// Linux).
//
// The field view carries the accessible name "Ordnix battlefield" and a description that always
// holds the current situation in words (Qt sends the description's change itself). Announcements
// are spoken by the "voice", a status-bar child of the field view whose accessible name is the latest
// announcement: one NameChanged event per announcement, the same words again included. Qt 6.8 and
// later also get an announcement event of the field view.
//
// Qt passes accessibility events on only while an assistive technology is active; `send` is where
// every event of the voice goes (Qt by default), so a test can hear them without one.
//
// News comes from the KeyDriver on the game thread and is queued onto the main thread, in order.
#pragma once

#include <functional>

#include <QAccessible>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "KeyDriver.h"

class Speaker : public QObject {
public:
    static constexpr const char* fieldName = "Ordnix battlefield";

    explicit Speaker(QWidget* field);

    std::function<void(QAccessibleEvent*)> send = [](QAccessibleEvent* event) {
        QAccessible::updateAccessibility(event);
    };

    // Lets `keys` tell this speaker (and then `also`, on the main thread) whatever it has news of.
    void listen(KeyDriver& keys, std::function<void(const KeyDriver::News&)> also = {});
    // Speaks the news now; main thread.
    void tell(const KeyDriver::News& news);

    QWidget* voice() const { return voice_; }

private:
    QPointer<QWidget> field_;
    QWidget* voice_ = nullptr;
};
