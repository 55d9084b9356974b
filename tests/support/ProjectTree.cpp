#include "ProjectTree.h"

#include <QFileInfo>
#include <QRandomGenerator>

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

QString ProjectTree::incompressibleProject(const QString &relative, int modules, qsizetype moduleBytes,
                                           qsizetype resourceBytes) const
{
    const QString folder = QFileInfo(relative).path() + '/';
    QList<QByteArray> lines;
    for (int number = 1; number <= modules; ++number) {
        const QByteArray name = "Module" + QByteArray::number(number);
        write(folder + name + ".bas", IncompressibleBytes(moduleBytes, quint32(number)));
        lines.append("Module=" + name + "; " + name + ".bas");
    }
    if (resourceBytes > 0) {
        write(folder + "Resources.res", IncompressibleBytes(resourceBytes, 0));
        lines.append("ResFile32=\"Resources.res\"");
    }
    lines.append("Name=\"" + QFileInfo(relative).completeBaseName().toUtf8() + "\"");
    return project(relative, lines);
}

QByteArray ModuleText(const QByteArray &name, const QByteArray &body, const QByteArray &lineEnd)
{
    QByteArray text = "Attribute VB_Name = \"" + name + "\"" + lineEnd;
    for (int line = 0; line < 200; ++line)
        text += "' " + body + " line " + QByteArray::number(line) + lineEnd;
    return text;
}

QByteArray IncompressibleBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}
