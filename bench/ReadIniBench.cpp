// Translating a window reads hundreds of keys from one language file; each look-up must cost a
// stat, not a parse. Prints the cost of a look-up against the cost of parsing the file once.
#include "OperationsFichiers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool WriteLanguageFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("[Strings]\r\n");
    for (int key = 1; key <= 500; ++key)
        file.write(QByteArray("%1=Texte du message %1\r\n").replace("%1", QByteArray::number(key)));
    for (int window = 0; window < 20; ++window) {
        file.write("[frmWindow" + QByteArray::number(window) + "]\r\n");
        for (int control = 0; control < 50; ++control)
            file.write("Label1(" + QByteArray::number(control) + ").Caption=Libell\xE9\r\n");
    }
    return true;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString warmUp = dir.filePath("deu.lng");
    const QString path = dir.filePath("fra.lng");
    if (!WriteLanguageFile(warmUp) || !WriteLanguageFile(path))
        return 1;
    // The first file also pays for loading the converter tables.
    ReadIni("Strings", "1", "", warmUp);

    QElapsedTimer timer;
    timer.start();
    ReadIni("Strings", "1", "", path);
    const qint64 firstNs = timer.nsecsElapsed();

    constexpr int lookups = 100000;
    timer.restart();
    qsizetype total = 0;
    for (int i = 0; i < lookups; ++i)
        total += ReadIni("frmWindow7", QStringLiteral("Label1(%1).Caption").arg(i % 50), "", path).size();
    const double perLookupUs = timer.nsecsElapsed() / 1000.0 / lookups;

    std::printf("file of 1,520 keys: first look-up (parse) %.1f us, then %.2f us per look-up over %d (%lld chars)\n",
                firstNs / 1000.0, perLookupUs, lookups, static_cast<long long>(total));
    return 0;
}
