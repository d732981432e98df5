#include "Speaker.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QtGlobal>

namespace {

// The voice: a widget whose accessible name is the latest announcement. Its name is kept here
// rather than with setAccessibleName, which would send an event of its own beside the voice's one.
class Voice : public QWidget {
public:
    using QWidget::QWidget;
    QString words;
};

class VoiceInterface : public QAccessibleWidget {
public:
    explicit VoiceInterface(Voice* voice) : QAccessibleWidget(voice, QAccessible::StatusBar) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name)
            return static_cast<const Voice*>(widget())->words;
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* voiceFactory(const QString&, QObject* object) {
    if (auto* voice = dynamic_cast<Voice*>(object))
        return new VoiceInterface(voice);
    return nullptr;
}

} // namespace

Speaker::Speaker(QWidget* field) : field_(field) {
    static const bool factory = [] {
        QAccessible::installFactory(voiceFactory);
        return true;
    }();
    (void)factory;
    field->setAccessibleName(QString::fromLatin1(fieldName));
    auto* voice = new Voice(field);
    voice->words = QStringLiteral("Ordnix");
    // One pixel under the game's picture: shown as far as Qt and the screen reader care, never seen.
    voice->setGeometry(0, 0, 1, 1);
    voice->lower();
    voice->setAttribute(Qt::WA_TransparentForMouseEvents);
    voice_ = voice;
}

void Speaker::listen(KeyDriver& keys, std::function<void(const KeyDriver::News&)> also) {
    keys.setListener([self = QPointer<Speaker>(this), also = std::move(also)](const KeyDriver::News& news) {
        QMetaObject::invokeMethod(
            qApp,
            [self, also, news] {
                if (!self)
                    return;
                self->tell(news);
                if (also)
                    also(news);
            },
            Qt::QueuedConnection);
    });
}

void Speaker::tell(const KeyDriver::News& news) {
    if (!field_)
        return;
    for (const std::string& said : news.said) {
        const QString text = QString::fromStdString(said);
        static_cast<Voice*>(voice_)->words = text;
        QAccessibleEvent event(voice_, QAccessible::NameChanged);
        send(&event);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QAccessibleAnnouncementEvent announcement(field_.data(), text);
        QAccessible::updateAccessibility(&announcement);
#endif
    }
    field_->setAccessibleDescription(QString::fromStdString(news.situation));
}
