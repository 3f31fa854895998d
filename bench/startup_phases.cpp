// Where the program's start-up goes: main.cpp's steps, with the costs that the main
// window's constructor would otherwise hide (style, font database, compiled resources,
// picture decoding, first use of each control class, the hidden feet-and-inches dialog)
// paid one by one beforehand, so each line is what that step adds. Prints the wall and
// CPU milliseconds of each step. bench/startup.sh --phases runs it on its display, under
// bench_launch_timer so that the time from fork to main is printed too:
//
//   bench_launch_timer STAMP -- bench_startup_phases           the program's steps
//   bench_launch_timer STAMP -- bench_startup_phases --floor   the minimal Qt window's
#include "feet_inches_dialog/frmFtToInches.h"
#include "main_window/frmBMI.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Design.h"
#include "platform/QtPlatform.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

long long nowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long long cpuNs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long long g_last = 0;
long long g_lastCpu = 0;

// Wall time and CPU time (all of the process's threads) since the previous step.
void step(const char* what) {
    const long long now = nowNs();
    const long long cpu = cpuNs();
    std::printf("%-44s %8.2f ms %8.2f ms CPU\n", what, static_cast<double>(now - g_last) / 1e6,
                static_cast<double>(cpu - g_lastCpu) / 1e6);
    g_last = now;
    g_lastCpu = cpu;
}

void syncWithServer() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        std::free(xcb_get_input_focus_reply(x11->connection(),
                                            xcb_get_input_focus(x11->connection()), nullptr));
}

// Ends the process once the first frame of an exposed top-level window is on the server,
// as the paint probe does.
class FirstFrame final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_seen || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        const auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || !widget->windowHandle() || !widget->windowHandle()->isExposed())
            return false;
        m_seen = true;
        step("show() to first paint event");
        QTimer::singleShot(0, this, [] {
            syncWithServer();
            step("first paint to frame drawn by the server");
            if (const char* out = std::getenv("BMI_PROBE_OUT"))
                if (std::FILE* f = std::fopen(out, "w")) {
                    std::fprintf(f, "%lld\n", nowNs());
                    std::fclose(f);
                }
            std::fflush(stdout);
            _exit(0);
        });
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char** argv) {
    g_last = nowNs();
    g_lastCpu = cpuNs();
    if (const char* launched = std::getenv("BMI_LAUNCH_NS")) {
        long long start = 0;
        for (const char* p = launched; *p >= '0' && *p <= '9'; ++p)
            start = start * 10 + (*p - '0');
        if (start > 0 && start < g_last)
            std::printf("%-44s %8.2f ms %8.2f ms CPU\n", "fork, exec, libraries, static init",
                        static_cast<double>(g_last - start) / 1e6,
                        static_cast<double>(g_lastCpu) / 1e6);
    }
    const bool floor = argc > 1 && std::strcmp(argv[1], "--floor") == 0;
    QApplication app(argc, argv);
    step("QApplication (platform plugin, X connection)");
    FirstFrame firstFrame;
    app.installEventFilter(&firstFrame);

    if (floor) {
        QWidget window;
        window.setFixedSize(611, 281);
        step("QWidget");
        window.show();
        return QApplication::exec();
    }

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    step("Fusion style");
    const QFont font = bmi::designFont(bmi::kDefaultFont);
    QFontMetrics(font).height();
    step("font database and default font match");
    QFontMetrics(bmi::designFont(bmi::kSansSerif12Bold)).height();
    QFontMetrics(bmi::designFont(bmi::kArial8)).height();
    step("the other two design fonts");
    bmi::configureApplication(app);
    step("configureApplication (rest)");
    bmi::initResources();
    step("compiled resources");
    // Each picture the windows load at start-up, as they load it.
    for (const char* path : {":/calculator.png", ":/advert.bmp"}) {
        const QPixmap pixmap = bmi::designPicture(QString::fromLatin1(path));
        step(qPrintable(QStringLiteral("picture ") + QLatin1String(path)));
    }
    const QIcon icon(bmi::designPicture(QStringLiteral(":/BMI-Trevala.png")));
    step("window icon as a QIcon");
    bmi::QtPlatform platform;
    {
        // The first control of each class pays for its class's first use (style polish,
        // text layout, lazily bound library calls); the windows' own cost follows.
        QWidget scratch;
        (new bmi::Label(&scratch))->setText(QStringLiteral("Height:"));
        step("first Label");
        new bmi::TextBox(&scratch);
        step("first TextBox");
        new bmi::ComboBox(&scratch);
        step("first ComboBox");
        new bmi::CommandButton(&scratch);
        step("first CommandButton");
        new bmi::Frame(&scratch);
        new bmi::Image(&scratch);
        new bmi::Line(&scratch);
        new bmi::Slider(&scratch);
        step("first Frame, Image, Line, Slider");
    }
    {
        QWidget scratch;
        auto* box = new QLineEdit(&scratch);
        auto* list = new bmi::ComboBox(&scratch);
        bmi::frmFtToInches dialog(platform, box, list);
        step("a feet-and-inches dialog, built and destroyed");
    }
    bmi::frmBMI window(platform);
    step("frmBMI (with its hidden dialog)");
    window.show();
    return QApplication::exec();
}
