#include "LanguageStrings.h"

#include "OperationsFichiers.h"

#include <QObject>
#include <QVariant>

namespace {

// Widgets whose text is the user's data, not a caption: Visual Basic's text and list boxes.
bool HoldsData(const QObject *control)
{
    for (const char *className :
         {"QLineEdit", "QTextEdit", "QPlainTextEdit", "QAbstractSpinBox", "QComboBox", "QAbstractItemView"}) {
        if (control->inherits(className))
            return true;
    }
    return false;
}

bool HasProperty(const QObject *object, const char *name) { return object->metaObject()->indexOfProperty(name) >= 0; }

// The property that shows a control's caption: a frame's title, else its text; none for controls
// that hold data or show no text.
const char *CaptionProperty(const QObject *control)
{
    if (HoldsData(control))
        return nullptr;
    if (HasProperty(control, "title"))
        return "title";
    if (HasProperty(control, "text"))
        return "text";
    return nullptr;
}

QString ControlKey(const QObject *control)
{
    const QVariant index = control->property("index");
    return index.isValid() ? control->objectName() + QString::number(index.toInt()) : control->objectName();
}

} // namespace

void TranslateForm(QObject *window, const QString &code, const QString &programFolder)
{
    const QString file = LanguageFilePath(code, programFolder);
    const QString section = window->objectName();
    const auto read = [&](const QString &key) { return ReadIni(section, key, QString(), file); };

    if (const QString title = read(QStringLiteral("Form")); !title.isEmpty())
        window->setProperty("windowTitle", title);
    for (QObject *control : window->findChildren<QObject *>()) {
        if (control->objectName().isEmpty())
            continue;
        const QString key = ControlKey(control);
        if (const char *caption = CaptionProperty(control)) {
            if (const QString text = read(key); !text.isEmpty())
                control->setProperty(caption, text);
        }
        if (HasProperty(control, "toolTip")) {
            if (const QString tip = read(key + QStringLiteral("ToolTipText")); !tip.isEmpty())
                control->setProperty("toolTip", tip);
        }
    }
}
