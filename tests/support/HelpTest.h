#pragma once
// What the help viewer's tests share: where the build put the help file and the viewer,
// and running the viewer program to its end.

#include "window/HelpFile.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>

namespace bmi::test {

inline QString binDir() {
    return qEnvironmentVariable("BMI_TEST_BIN_DIR");
}

inline QString helpPath() {
    return binDir() + QStringLiteral("/BMI-Trevala.chm");
}

inline QString viewerPath() {
    return binDir() + QStringLiteral("/BMI-Trevala-help");
}

inline QByteArray helpBytes() {
    QFile file(helpPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline std::unique_ptr<help::HelpFile> openHelp(const QString& window = QStringLiteral("Main")) {
    QString error;
    auto file = help::HelpFile::open(helpPath(), window, &error);
    EXPECT_TRUE(file) << error.toStdString();
    return file;
}

inline QString chm(const char* path) {
    return QStringLiteral("chm:") + QLatin1String(path);
}

inline QByteArray junkBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    quint32 x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

struct ViewerRun {
    int exitCode = -1;
    bool crashed = true;
    QString out, err;
};

inline ViewerRun startViewer(const QStringList& args) {
    QProcess viewer;
    viewer.start(viewerPath(), args);
    ViewerRun run;
    if (!viewer.waitForFinished(60000)) {
        viewer.kill();
        viewer.waitForFinished();
        return run;
    }
    run.crashed = viewer.exitStatus() != QProcess::NormalExit;
    run.exitCode = viewer.exitCode();
    run.out = QString::fromUtf8(viewer.readAllStandardOutput());
    run.err = QString::fromUtf8(viewer.readAllStandardError());
    return run;
}

} // namespace bmi::test
