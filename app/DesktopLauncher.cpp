#include "app/DesktopLauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>

namespace vx {

int DesktopLauncher::openDocument(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    if (!file.exists()) return ENOENT;
    if (!file.isReadable()) return EACCES;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath())) ? 0 : ENOEXEC;
}

int DesktopLauncher::start(const std::vector<std::string>& argv) {
    if (argv.empty()) return EINVAL;
    const QString program = QString::fromStdString(argv.front());
    if (QStandardPaths::findExecutable(program).isEmpty()) return ENOENT;
    QStringList arguments;
    for (size_t i = 1; i < argv.size(); ++i) arguments << QString::fromStdString(argv[i]);
    return QProcess::startDetached(program, arguments) ? 0 : ENOEXEC;
}

}  // namespace vx
