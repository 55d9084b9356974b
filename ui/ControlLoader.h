#pragma once

#include "Outcome.h"

#include <QString>
#include <QStringList>

class QWidget;

// Creates controls from a control library found at run time, by programmatic identifier, the way
// a Windows program finds an ActiveX class through the system's registration. The library is
// looked for in the given folders (by default the program's folder, then the private library folder
// of the prefix it is installed in, lib/quenzar), then in the system's library path; once opened it stays loaded,
// since the controls it made live on.
class ControlLoader {
public:
    explicit ControlLoader(QStringList folders = {}, QString libraryName = QStringLiteral("Pellund"),
                           int majorVersion = 1);

    // A new control owned by parent, or why there is none.
    Outcome<QWidget *> Create(const QString &progId, QWidget *parent) const;

private:
    QStringList folders_;
    QString libraryName_;
    int majorVersion_;
};
