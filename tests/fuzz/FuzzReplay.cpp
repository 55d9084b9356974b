// A fuzz target run once on every file of the folders it is given, without libFuzzer and without
// mutation: the seeds and the inputs that once found a fault, replayed by CTest in every build so
// that a fixed fault stays fixed. A broken rule, or a sanitizer report in a sanitized build, ends the
// program as it would end the fuzzer; the input being read is named first.
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Defined only by the targets that prepare their process.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

// Absolute paths, taken before the target may change the current folder. A folder that does not
// exist holds nothing: most targets have no regression inputs.
QStringList InputFiles(int argc, char **argv)
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        for (const QFileInfo &file :
             QDir(QFile::decodeName(argv[i])).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
            files.append(file.absoluteFilePath());
    }
    return files;
}

// An input that cannot be read ends the replay: no input is skipped.
QByteArray Contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    return file.readAll();
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList files = InputFiles(argc, argv);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: %s FOLDER...: no input in these folders\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (const QString &path : files) {
        std::fprintf(stderr, "%s\n", qPrintable(path));
        const QByteArray bytes = Contents(path);
        // A buffer of exactly the input's size, never null even when empty, as libFuzzer hands it:
        // a read past its end is a sanitizer report, not a read of QByteArray's terminating zero.
        const std::unique_ptr<uint8_t[]> input(new uint8_t[bytes.size()]);
        std::memcpy(input.get(), bytes.constData(), bytes.size());
        LLVMFuzzerTestOneInput(input.get(), bytes.size());
    }
    std::fprintf(stderr, "%lld inputs replayed\n", static_cast<long long>(files.size()));
    return 0;
}
