// CloseRequests: the window manager's requests to close one window, seen before Qt handles them.
//
// Qt drops a close request for a window that a modal sheet blocks, so with a sheet open the field
// window's close button would do nothing. This filter sees the X11 request (WM_DELETE_WINDOW) first and
// passes it on as a call; on other platforms it sees nothing and the window's closeEvent does the work.
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

class CloseRequests : public QAbstractNativeEventFilter {
public:
    // Installs itself on the application; `onClose` runs for every close request of `window`.
    CloseRequests(QWidget* window, std::function<void()> onClose);
    ~CloseRequests() override;
    CloseRequests(const CloseRequests&) = delete;
    CloseRequests& operator=(const CloseRequests&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QPointer<QWidget> window_;
    std::function<void()> onClose_;
    // The atoms WM_PROTOCOLS and WM_DELETE_WINDOW of the X display; 0 when there is none.
    uint32_t protocols_ = 0;
    uint32_t deleteWindow_ = 0;
};
