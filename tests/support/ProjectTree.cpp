#include "ProjectTree.h"

#include <QFileInfo>

QString ProjectTree::project(const QString &relative, const QList<QByteArray> &lines, const QByteArray &lineEnd) const
{
    QByteArray content;
    if (lines.isEmpty() || !lines.constFirst().startsWith("Type="))
        content += "Type=Exe" + lineEnd;
    for (const QByteArray &line : lines)
        content += line + lineEnd;
    return write(relative, content);
}

QString ProjectTree::member(const QString &relative, const QStringList &references) const
{
    const QString name = QFileInfo(relative).completeBaseName();
    QByteArray content = "VERSION 5.00\r\nBegin VB.Form " + name.toUtf8() + "\r\n";
    for (const QString &reference : references)
        content += "   Picture = \"" + reference.toUtf8() + "\":0000\r\n";
    content += "End\r\nAttribute VB_Name = \"" + name.toUtf8() + "\"\r\n";
    content += "Private Sub Form_Load()\r\n    Caption = \"notafile.frx\":1234\r\nEnd Sub\r\n";
    return write(relative, content);
}
