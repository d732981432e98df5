#include "CloseRequests.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

namespace {

uint32_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 1, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                                        &std::free);
    return reply ? reply->atom : 0;
}

} // namespace

CloseRequests::CloseRequests(QWidget* window, std::function<void()> onClose)
    : window_(window), onClose_(std::move(onClose)) {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    protocols_ = atom(x11->connection(), "WM_PROTOCOLS");
    deleteWindow_ = atom(x11->connection(), "WM_DELETE_WINDOW");
    if (protocols_ != 0 && deleteWindow_ != 0)
        QCoreApplication::instance()->installNativeEventFilter(this);
}

CloseRequests::~CloseRequests() {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

bool CloseRequests::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !window_)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* request = static_cast<const xcb_client_message_event_t*>(message);
    if (request->format != 32 || request->type != protocols_ || request->data.data32[0] != deleteWindow_ ||
        window_->internalWinId() == 0 || request->window != static_cast<xcb_window_t>(window_->internalWinId()))
        return false;
    onClose_();
    return true;
}
