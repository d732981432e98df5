#include "ScreenDump.h"

#include <cstdint>
#include <mutex>

#include <QSaveFile>

#include "AppDelegate.h"
#include "ScreenView.h"

namespace ScreenDump {

bool writeWindow(const QDir& directory, const QString& name, const Window& window) {
    const QuickDraw::Bitmap& bitmap = window.port().bitmap;
    std::vector<uint8_t> bits;
    {
        std::lock_guard guard(QuickDraw::screenLock());
        bits = bitmap.bits();
    }
    QImage image = ScreenView::image(bits, bitmap.width(), bitmap.height());
    if (image.isNull())
        return false;
    // The same file on every screen and without one: the resolution would otherwise follow the display.
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QSaveFile file(directory.filePath(name + QStringLiteral(".png")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return image.save(&file, "PNG") && file.commit();
}

bool write(const QDir& directory, const Window& field, const std::vector<const Window*>& visibleBoxes,
           const std::vector<MenuState>& menus, bool ready) {
    bool written = writeWindow(directory, AppDelegate::windowName(WindowID::field), field);
    for (const Window* box : visibleBoxes)
        written = writeWindow(directory, AppDelegate::windowName(box->id()), *box) && written;
    QSaveFile file(directory.filePath(QStringLiteral("menus.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = AppDelegate::menusText(menus, ready).toUtf8();
    return file.write(text) == text.size() && file.commit() && written;
}

} // namespace ScreenDump
