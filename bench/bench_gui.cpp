// The main window in process, on the offscreen platform: what a Calculate click costs
// from the button to the shown result, what a refused one costs up to its message box,
// and what building the window costs once the toolkit is warm.
#include "feet_inches_dialog/frmFtToInches.h"
#include "main_window/frmBMI.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "tests/support/RecordingPlatform.h"

#include <QApplication>
#include <QPaintEvent>

#include <benchmark/benchmark.h>

namespace {

using bmi::frmBMI;
using bmi::test::RecordingPlatform;

// Counts paint events reaching a window's widgets, to prove a loop really repaints.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void showAndSettle(QWidget& window) {
    window.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The window the click benchmarks start from: shown, settled, over the recording fake.
struct ShownWindow {
    ShownWindow() { showAndSettle(window); }
    RecordingPlatform platform;
    frmBMI window{platform};
};

// Entries set once; each iteration is the click alone: read the boxes, validate,
// convert, compute, and write lblBMI and Slider1. The result is the same every time, so
// nothing new needs painting.
void CalculateClick(benchmark::State& state) {
    ShownWindow shown;
    const auto& c = shown.window.controls();
    c.txtHT->setText(QStringLiteral("70"));
    c.txtWT->setText(QStringLiteral("154"));
    for (auto _ : state)
        c.cmdCalculate->click();
    if (c.lblBMI->Caption().isEmpty() || !shown.platform.msgBoxes.empty())
        state.SkipWithError("the click did not show a result");
}
BENCHMARK(CalculateClick);

// What a user sees: the weight changes (which blanks the result), Calculate is clicked,
// and the event loop repaints what changed. Two weights alternate so that every
// iteration has a new result to draw.
void CalculateClickPainted(benchmark::State& state) {
    ShownWindow shown;
    const auto& c = shown.window.controls();
    c.txtHT->setText(QStringLiteral("70"));
    const QString weights[] = {QStringLiteral("154"), QStringLiteral("220")};
    PaintCounter counter;
    c.lblBMI->installEventFilter(&counter);
    int i = 0;
    for (auto _ : state) {
        c.txtWT->setText(weights[i++ & 1]);
        c.cmdCalculate->click();
        QCoreApplication::processEvents();
    }
    if (counter.paints < static_cast<int>(state.iterations()))
        state.SkipWithError("lblBMI was not repainted on every iteration");
}
BENCHMARK(CalculateClickPainted);

// Empty boxes: the click ends in the message box, which the fake records instead of
// showing.
void RefusedCalculate(benchmark::State& state) {
    ShownWindow shown;
    const auto& c = shown.window.controls();
    c.txtHT->clear();
    c.txtWT->clear();
    std::size_t boxes = 0;
    for (auto _ : state) {
        c.cmdCalculate->click();
        boxes += shown.platform.msgBoxes.size();
        shown.platform.msgBoxes.clear();
    }
    if (boxes != static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("a refused click did not end in one message box");
}
BENCHMARK(RefusedCalculate);

// Building and destroying the window (with its hidden feet-and-inches dialog), the
// toolkit's fonts and style already loaded by earlier windows of this process.
void ConstructMainWindow(benchmark::State& state) {
    RecordingPlatform platform;
    for (auto _ : state) {
        frmBMI window(platform);
        benchmark::DoNotOptimize(&window);
    }
}
BENCHMARK(ConstructMainWindow)->Unit(benchmark::kMicrosecond);

// The hidden feet-and-inches dialog alone, which the main window builds at start-up: its
// share of the line above.
void ConstructFeetInchesDialog(benchmark::State& state) {
    RecordingPlatform platform;
    QWidget owner;
    auto* box = new bmi::TextBox(&owner);
    auto* list = new bmi::ComboBox(&owner);
    for (auto _ : state) {
        bmi::frmFtToInches dialog(platform, box, list);
        benchmark::DoNotOptimize(&dialog);
    }
}
BENCHMARK(ConstructFeetInchesDialog)->Unit(benchmark::kMicrosecond);

// The main window plus showing it and painting its first frame into the offscreen backing
// store.
void ConstructShowPaintMainWindow(benchmark::State& state) {
    RecordingPlatform platform;
    PaintCounter counter;
    for (auto _ : state) {
        frmBMI window(platform);
        window.installEventFilter(&counter);
        showAndSettle(window);
    }
    if (counter.paints < static_cast<int>(state.iterations()))
        state.SkipWithError("the window was not painted on every iteration");
}
BENCHMARK(ConstructShowPaintMainWindow)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bmi::configureApplication(app);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
