#include "platform/ProcessLauncher.h"
#include "platform/QtPlatform.h"

#include <QDir>
#include <QFileInfo>

namespace bmi {

namespace {
// The viewer exists but could not be started (bad interpreter, no resources, ...).
constexpr int kErrViewerNotStarted = 5;
} // namespace

int launchHelpViewer(const QString& appDir, const QString& request) {
    // Looked for at every request, so a viewer installed or mended while the program runs
    // is found at the next click.
    const QFileInfo viewer(QDir(appDir).filePath(kHelpViewerProgram));
    if (!viewer.exists())
        return kErrFileNotFound;
    // Found but no program that can run (a directory, no execute permission): the user
    // has a viewer, so there is nothing to tell them to install.
    if (!viewer.isFile() || !viewer.isExecutable())
        return kErrViewerNotStarted;
    // Not waited for: the help window lives on its own and outlives us if need be, and
    // starts clean of what we inherited. The request goes as one argument, never through
    // a shell; a viewer that is already showing the file takes it over from a second
    // instance by itself.
    if (startProgram(viewer.absoluteFilePath(), request, appDir) != 0)
        return kErrViewerNotStarted;
    return 0;
}

// The viewer makes its own top-level window and opens the file's default topic, the only
// one this program asks for.
int QtPlatform::startHelpViewer(const QString& request) {
    return launchHelpViewer(appPath(), request);
}

} // namespace bmi
