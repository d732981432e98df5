#include "Speaker.h"

#include <QAccessible>
#include <QApplication>
#include <QtGlobal>

Speaker::Speaker(QWidget* field) : field_(field) {
    field->setAccessibleName(QString::fromLatin1(fieldName));
    voice_ = new QWidget(field);
    voice_->setAccessibleName(QStringLiteral("Ordnix"));
    // One pixel under the game's picture: shown as far as Qt and the screen reader care, never seen.
    voice_->setGeometry(0, 0, 1, 1);
    voice_->lower();
    voice_->setAttribute(Qt::WA_TransparentForMouseEvents);
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
        if (voice_->accessibleName() != text) {
            voice_->setAccessibleName(text);
        } else {
            // Setting the same name again is silent; the same words are news all the same.
            QAccessibleEvent event(voice_, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QAccessibleAnnouncementEvent announcement(field_.data(), text);
        QAccessible::updateAccessibility(&announcement);
#endif
    }
    field_->setAccessibleDescription(QString::fromStdString(news.situation));
}
