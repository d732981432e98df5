#include "Settings.h"

#include <QSettings>

namespace Settings {

namespace {
QSettings store() { return QSettings(QStringLiteral("Ordnix"), QStringLiteral("Ordnix")); }
} // namespace

int64_t scale(std::optional<QRect> fitting) {
    bool ok = false;
    const int64_t stored = store().value(scaleKey).toLongLong(&ok);
    if (ok && (stored == 1 || stored == 2))
        return stored;
    if (!fitting)
        return 1;
    return fitting->width() >= 1064 && fitting->height() >= 704 ? 2 : 1;
}

void storeScale(int64_t scale) {
    QSettings settings = store();
    settings.setValue(scaleKey, static_cast<qlonglong>(scale));
}

} // namespace Settings
