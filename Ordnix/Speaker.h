// Speaker: the game as a screen reader meets it, through Qt's accessibility interface (AT-SPI on
// Linux).
//
// The field view carries the accessible name "Ordnix battlefield" and a description that always
// holds the current situation in words (a DescriptionChanged event follows every change). Each
// announcement is spoken through the "voice", a child of the field view whose accessible name
// becomes the announcement, with a NameChanged event for every one, repeated words included; Qt 6.8
// and later also send it as an announcement event of the field view.
//
// News comes from the KeyDriver on the game thread and is queued onto this object's thread, in order.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include "KeyDriver.h"

class Speaker : public QObject {
public:
    static constexpr const char* fieldName = "Ordnix battlefield";

    explicit Speaker(QWidget* field);

    // Lets `keys` tell this speaker (and then `also`, on this object's thread) whatever it has news of.
    void listen(KeyDriver& keys, std::function<void(const KeyDriver::News&)> also = {});
    // Speaks the news now; main thread.
    void tell(const KeyDriver::News& news);

    QWidget* voice() const { return voice_; }

private:
    QPointer<QWidget> field_;
    QWidget* voice_ = nullptr;
};
