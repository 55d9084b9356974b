#include "ShellExtended.h"

#include <QMutex>
#include <QProcess>
#include <QUrl>
#include <exception>

namespace {

QMutex openerLock;
DesktopOpener currentOpener;

DesktopOpener Opener()
{
    QMutexLocker lock(&openerLock);
    return currentOpener ? currentOpener : DefaultDesktopOpener();
}

bool IsWebAddress(const QString &file)
{
    const QUrl url(file);
    return url.isValid() && !url.scheme().isEmpty() && url.scheme() != QLatin1String("file")
           && file.contains(QLatin1String("://"));
}

QString WorkingFolder(const QString &file)
{
    if (IsWebAddress(file))
        return QString();
    const qsizetype slash = file.lastIndexOf('/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : file.left(slash);
}

} // namespace

void SetDesktopOpener(DesktopOpener opener)
{
    QMutexLocker lock(&openerLock);
    currentOpener = std::move(opener);
}

DesktopOpener DefaultDesktopOpener()
{
    return [](const QString &target, const QString &workingFolder) -> qint64 {
        qint64 pid = 0;
        return QProcess::startDetached(QStringLiteral("xdg-open"), {target}, workingFolder, &pid) ? pid : 0;
    };
}

qint64 ShellOpen(const QString &file, const QString & /*parameters*/, const QString & /*verb*/, int /*showCommand*/,
                 qint64 /*ownerWindow*/)
{
    try {
        return Opener()(file, WorkingFolder(file));
    } catch (const std::exception &) {
        return -1;
    }
}
