#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <QString>
#include <QVariant>

// The windows name their controls as the language files know them: a control array's element
// carries its index in the dynamic property "index".
template <typename Control>
Control *Named(Control *control, const QString &name, int index = -1)
{
    control->setObjectName(name);
    if (index >= 0)
        control->setProperty("index", index);
    return control;
}

// A box the program fills and the user only reads: grey like the window behind it.
inline QLineEdit *ReadOnlyBox(QLineEdit *box)
{
    box->setReadOnly(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
    return box;
}

template <typename Control>
Control *Coloured(Control *control, const QColor &colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
    return control;
}

// The two text colours of the windows: captions of choices in blue, field captions in dark red.
inline const QColor kChoiceBlue{0x1a, 0x4f, 0x9c};
inline const QColor kFieldRed{0x8b, 0x1e, 0x1e};
