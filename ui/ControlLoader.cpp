#include "ControlLoader.h"

#include "ControlFactory.h"

#include <QCoreApplication>
#include <QLibrary>

// Beside the program (the build tree), then the private library folder of an installed program,
// found from the program's own place so that any prefix works: the loader runs inside Qt's
// library, so a run path of the program's would not reach it.
static QStringList DefaultFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    return {program, program + QStringLiteral("/../" QUENZAR_PRIVATE_LIBDIR)};
}

ControlLoader::ControlLoader(QStringList folders, QString libraryName, int majorVersion)
    : folders_(folders.isEmpty() ? DefaultFolders() : std::move(folders)), libraryName_(std::move(libraryName)),
      majorVersion_(majorVersion)
{
}

Outcome<QWidget *> ControlLoader::Create(const QString &progId, QWidget *parent) const
{
    QStringList candidates;
    for (const QString &folder : folders_)
        candidates.append(folder + '/' + libraryName_);
    candidates.append(libraryName_); // the system's library path

    QStringList problems;
    for (const QString &candidate : std::as_const(candidates)) {
        QLibrary library(candidate, majorVersion_);
        const auto create = reinterpret_cast<CreateControlFunction>(library.resolve(kCreateControlSymbol));
        if (!create) {
            problems.append(library.errorString());
            continue;
        }
        if (QWidget *control = create(progId.toUtf8().constData(), parent))
            return Outcome<QWidget *>::success(control);
        return Outcome<QWidget *>::failure(
            QStringLiteral("No control is registered as \"%1\" in %2.").arg(progId, library.fileName()));
    }
    return Outcome<QWidget *>::failure(QStringLiteral("The control library %1 for \"%2\" cannot be loaded: %3")
                                           .arg(libraryName_, progId, problems.join(QStringLiteral("; "))));
}
