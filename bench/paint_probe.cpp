// Preloaded (LD_PRELOAD) into a Qt Widgets program by bench/startup.sh, which reads no
// argument or variable of its own for this. Once the first shown top-level window has
// painted and flushed its first frame, and the X server has processed it, the probe
// writes the CLOCK_MONOTONIC time in nanoseconds to the file named by BMI_PROBE_OUT and
// ends the process on the spot. Without BMI_PROBE_OUT it does nothing.
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

class FirstFrameProbe final : public QObject {
public:
    FirstFrameProbe(const char* outPath, QObject* parent) : QObject(parent), m_out(outPath) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_armed || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        const auto* widget = static_cast<QWidget*>(watched);
        const QWindow* handle = widget->windowHandle();
        if (!widget->isWindow() || !handle || !handle->isExposed())
            return false;
        m_armed = false;
        // A top-level window is painted before its children and the backing store is
        // flushed after the last child, all in one pass: a zero timer runs after it.
        QTimer::singleShot(0, this, &FirstFrameProbe::stamp);
        return false;
    }

private:
    void stamp() {
        syncWithServer();
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        bool written = false;
        if (std::FILE* out = std::fopen(m_out, "w")) {
            std::fprintf(out, "%lld\n",
                         static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            written = std::fclose(out) == 0;
        }
        // Nothing after the first frame is of interest, and the program's own shutdown
        // must not run inside the measurement.
        _exit(written ? 0 : 3);
    }

    // The flush has left for the X server; a round trip makes sure it has been drawn.
    static void syncWithServer() {
        const auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (!x11 || !x11->connection())
            return;
        xcb_connection_t* connection = x11->connection();
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    const char* m_out;
    bool m_armed = true;
};

void installProbe() {
    const char* out = std::getenv("BMI_PROBE_OUT");
    if (!out || !*out)
        return;
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new FirstFrameProbe(out, app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
