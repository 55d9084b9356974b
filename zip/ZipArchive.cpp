#include "ZipArchive.h"

#include "DeflatePipeline.h"
#include "PrecompressedSource.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <vector>
#include <zip.h>

namespace {

// Level 6 trades little size for much time against libzip's default of 9.
constexpr zip_uint32_t DeflateLevel = 6;
// A thousandth of the work between two reports: on a 100 MiB project that is a few milliseconds
// of compressing, so a window that repaints at each report never looks frozen.
constexpr double kProgressPrecision = 0.001;

struct Member {
    QString entryName;
    QString filePath;
    QByteArray password; // empty: stored without encryption
    std::optional<size_t> deflated; // its number in the pipeline; none: libzip compresses it
};

struct Entry {
    zip_uint64_t index;
    QString name; // as stored
    QStringList names;
    bool isFolder;
    time_t modified;
    zip_uint64_t size; // as the archive declares it
    zip_uint16_t encryption;
    bool encrypted() const { return encryption != ZIP_EM_NONE; }
    // libzip would refuse it at reading, and in 1.7.3 leak what it had opened for it.
    bool readable() const { return zip_encryption_method_supported(encryption, 0) != 0; }
};

using EntryReader = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;

QString LibzipText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

QString LibzipText(zip_error_t *error) { return QString::fromUtf8(zip_error_strerror(error)); }

bool IsFolderName(const QString &name) { return name.endsWith('/') || name.endsWith('\\'); }

bool HasControlCharacter(const QString &name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

bool IsSymbolicLink(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    zip_file_get_external_attributes(archive, index, 0, &system, &attributes);
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// Why an entry could write outside the destination folder; empty when it cannot.
QString RefusalReason(zip_t *archive, zip_uint64_t index, const QString &name)
{
    if (const QString refusal = EntryNameRefusal(name); !refusal.isEmpty())
        return refusal;
    if (IsSymbolicLink(archive, index))
        return "is a symbolic link";
    return {};
}

// Why the file cannot be archived; empty when it can.
QString ReadProblem(const QString &filePath)
{
    const QFileInfo info(filePath);
    if (!info.exists())
        return "it does not exist";
    if (!info.isFile())
        return "it is not a regular file";
    QFile file(filePath);
    return file.open(QIODevice::ReadOnly) ? QString() : "it cannot be read, " + file.errorString();
}

bool IsInside(const QString &root, const QString &path) { return path == root || path.startsWith(root + '/'); }

// The bytes an unprivileged user may still write where the folder is or would be created.
std::optional<quint64> FreeBytesAt(QString folder)
{
    while (!QFileInfo(folder).isDir() && folder != QFileInfo(folder).path())
        folder = QFileInfo(folder).path();
    struct statvfs disk;
    if (statvfs(QFile::encodeName(folder).constData(), &disk) != 0)
        return std::nullopt;
    return quint64(disk.f_bavail) * disk.f_frsize;
}

QString Megabytes(quint64 bytes) { return QString::number(double(bytes) / 1e6, 'f', 1) + " MB"; }

// Why two entries could not both be extracted as named; empty when every name is free. Two files
// of one path would leave only the later; a file where another entry needs a folder cannot be both.
QString NameClash(const std::vector<Entry> &entries)
{
    QSet<QString> files;
    QSet<QString> folders;
    for (const Entry &entry : entries) {
        const qsizetype folderDepth = entry.isFolder ? entry.names.size() : entry.names.size() - 1;
        for (qsizetype depth = 1; depth <= folderDepth; ++depth)
            folders.insert(entry.names.mid(0, depth).join('/'));
        if (entry.isFolder)
            continue;
        const QString path = entry.names.join('/');
        if (files.contains(path))
            return QString("\"%1\" appears twice").arg(path);
        files.insert(path);
    }
    for (const QString &path : std::as_const(files)) {
        if (folders.contains(path))
            return QString("\"%1\" is both a file and a folder").arg(path);
    }
    return {};
}

// The temporary file is private to its owner; an extracted file gets the usual permissions.
bool Finish(QFile &file, time_t modified)
{
    const bool finished =
        file.flush() && file.setFileTime(QDateTime::fromSecsSinceEpoch(modified), QFileDevice::FileModificationTime)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                               | QFileDevice::ReadOther);
    file.close();
    return finished;
}

int ExtractCode(zip_error_t *error)
{
    return zip_error_code_zip(error) == ZIP_ER_WRONGPASSWD ? ZipArchive::ExtractWrongPassword
                                                           : ZipArchive::ExtractFailed;
}

} // namespace

struct ZipArchive::State {
    QString archivePath;
    QByteArray password;
    bool protect = false;
    QString prefix;
    std::vector<Member> members;
    QHash<QString, size_t> memberByFoldedName;
    zip_t *reader = nullptr;
    ProgressHandler progress;
    double lastShare = 0;
    std::unique_ptr<DeflatePipeline> pipeline;
    QString error;

    int Fail(int code, const QString &reason)
    {
        error = reason;
        return code;
    }
    void Report(double share) const
    {
        if (progress)
            progress(share);
    }
    // Reading reports by bytes, so that one large entry moves the bar too.
    quint64 bytesToRead = 0;
    quint64 bytesRead = 0;
    void StartReading(const std::vector<Entry> &entries)
    {
        bytesToRead = 0;
        for (const Entry &entry : entries)
            bytesToRead += entry.size;
        bytesRead = 0;
        lastShare = 0;
    }
    void CountRead(quint64 bytes)
    {
        bytesRead += bytes;
        const double share = bytesToRead == 0 ? 1.0 : std::min(1.0, double(bytesRead) / double(bytesToRead));
        if (share - lastShare >= kProgressPrecision || share == 1.0) {
            lastShare = share;
            Report(share);
        }
    }
    static void ReportProgress(zip_t *, double share, void *state)
    {
        auto *self = static_cast<State *>(state);
        self->lastShare = share;
        self->Report(share);
    }
    void Remember(const QString &entryName, const QString &filePath);
    std::optional<size_t> StartDeflating(const QString &filePath, const QByteArray &secret);
    QString AddEntry(zip_t *archive, const Member &member) const;
    int List(std::vector<Entry> &entries);
    int Describe(zip_uint64_t index, Entry &entry);
    int Examine(bool havePassword, std::vector<Entry> &entries);
    int CheckRoom(const std::vector<Entry> &entries, const QString &destinationFolder);
    int EnterFolders(const QString &root, const QStringList &names, QString &folder);
    int ExtractEntry(const Entry &entry, const QString &root, const QByteArray &password);
    int WriteEntry(const Entry &entry, const QString &target, const QByteArray &password);
    using ChunkSink = std::function<QString(const char *, zip_int64_t)>;
    int ReadThrough(const Entry &entry, const QByteArray &password, const QString &what, const ChunkSink &sink);
};

ZipArchive::ZipArchive() : d(std::make_unique<State>()) {}

ZipArchive::~ZipArchive() { CloseArchive(); }

int ZipArchive::CreateNew(const QString &archivePath)
{
    d->archivePath = archivePath;
    d->prefix.clear();
    d->members.clear();
    d->memberByFoldedName.clear();
    d->pipeline.reset();
    return 1;
}

void ZipArchive::UsePassword(const QString &password) { d->password = password.toUtf8(); }

void ZipArchive::EnableProtection(int on) { d->protect = on != 0; }

void ZipArchive::SetFolderPrefix(const QString &folder)
{
    d->prefix = folder.split('\\', Qt::SkipEmptyParts).join('/');
}

int ZipArchive::AddMemberFile(const QString &filePath, const QString &entryFileName)
{
    if (const QString problem = ReadProblem(filePath); !problem.isEmpty())
        return d->Fail(0, QString("Cannot add %1: %2.").arg(filePath, problem));
    if (d->protect && d->password.isEmpty())
        return d->Fail(0, QString("Cannot protect %1: no password was given.").arg(filePath));
    const QString name = entryFileName.isEmpty() ? QFileInfo(filePath).fileName() : entryFileName;
    d->Remember(d->prefix.isEmpty() ? name : d->prefix + '/' + name, filePath);
    return 1;
}

// Windows treats names differing only in case as one file, so the later file takes the
// earlier one's place instead of adding a second entry.
void ZipArchive::State::Remember(const QString &entryName, const QString &filePath)
{
    const QString key = entryName.toCaseFolded();
    const QByteArray secret = protect ? password : QByteArray();
    const std::optional<size_t> deflated = StartDeflating(filePath, secret);
    if (const auto known = memberByFoldedName.constFind(key); known != memberByFoldedName.constEnd()) {
        Member &member = members[*known];
        if (member.deflated)
            pipeline->Discard(*member.deflated);
        member.filePath = filePath;
        member.password = secret;
        member.deflated = deflated;
        return;
    }
    memberByFoldedName.insert(key, members.size());
    members.push_back({entryName, filePath, secret, deflated});
}

// Files of ordinary size are deflated on every core from the moment they are added, while the
// caller goes on reading its project; at the write, libzip copies them as they are.
std::optional<size_t> ZipArchive::State::StartDeflating(const QString &filePath, const QByteArray &secret)
{
    const qint64 size = QFileInfo(filePath).size();
    if (size > DeflatePipeline::kLargestFile)
        return std::nullopt;
    if (!pipeline)
        pipeline = std::make_unique<DeflatePipeline>();
    return pipeline->Add(filePath, size, secret);
}

// libzip deletes an existing file when it closes an archive without entries, and writes
// through a temporary file it renames only on success; so nothing is opened before there is
// something to write.
int ZipArchive::WriteAndClose()
{
    if (d->members.empty())
        return d->Fail(0, QString("Nothing was added to %1, so it was not written.").arg(d->archivePath));
    int code = 0;
    const QByteArray path = QFile::encodeName(d->archivePath);
    zip_t *archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return d->Fail(0, QString("Cannot create the archive %1: %2.").arg(d->archivePath, LibzipText(code)));
    for (const Member &member : d->members) {
        if (const QString problem = d->AddEntry(archive, member); !problem.isEmpty()) {
            zip_discard(archive);
            return d->Fail(0, QString("Cannot add %1 to %2: %3.").arg(member.filePath, d->archivePath, problem));
        }
    }
    zip_register_progress_callback_with_state(archive, kProgressPrecision, State::ReportProgress, nullptr, d.get());
    if (zip_close(archive) != 0) {
        d->error = QString("Cannot write the archive %1: %2.").arg(d->archivePath, zip_strerror(archive));
        zip_discard(archive);
        return 0;
    }
    // libzip leaves out its last report when it is closer than the precision to the one before.
    d->Report(1.0);
    d->members.clear();
    d->memberByFoldedName.clear();
    d->pipeline.reset();
    return 1;
}

// libzip names no file when one fails while the archive is written, so each is checked again
// here, where its name can still be given.
QString ZipArchive::State::AddEntry(zip_t *archive, const Member &member) const
{
    if (const QString problem = ReadProblem(member.filePath); !problem.isEmpty())
        return problem;
    const std::optional<size_t> precompressed = member.deflated;
    zip_source_t *source = precompressed ? CreatePrecompressedSource(archive, *pipeline, *precompressed, member.filePath,
                                                                     [this] { Report(lastShare); })
                                         : zip_source_file(archive, QFile::encodeName(member.filePath).constData(), 0, 0);
    if (!source)
        return zip_strerror(archive);
    const zip_int64_t index = zip_file_add(archive, member.entryName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return zip_strerror(archive);
    }
    // A source deflated and encrypted ahead keeps the default method and gets no password, so that
    // libzip takes its data as it is and only marks the entry as encrypted.
    const char *password = precompressed ? nullptr : member.password.constData();
    const bool configured =
        (precompressed || zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, DeflateLevel) == 0)
        && (member.password.isEmpty() || zip_file_set_encryption(archive, index, ZIP_EM_AES_256, password) == 0);
    return configured ? QString() : zip_strerror(archive);
}

int ZipArchive::OpenExisting(const QString &archivePath)
{
    CloseArchive();
    d->archivePath = archivePath;
    int code = 0;
    d->reader = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &code);
    if (!d->reader)
        return d->Fail(0, QString("Cannot open the archive %1: %2.").arg(archivePath, LibzipText(code)));
    return 1;
}

int ZipArchive::ExtractAll(const QString &destinationFolder, const QString &password)
{
    if (!d->reader)
        return d->Fail(ExtractFailed, "No archive is open to extract.");
    const QByteArray secret = password.toUtf8();
    std::vector<Entry> entries;
    if (const int verdict = d->Examine(!secret.isEmpty(), entries); verdict != 1)
        return verdict;
    if (const int room = d->CheckRoom(entries, destinationFolder); room != 1)
        return room;
    if (!QDir().mkpath(destinationFolder))
        return d->Fail(ExtractFailed, QString("Cannot create the folder %1.").arg(destinationFolder));
    const QString root = QFileInfo(destinationFolder).canonicalFilePath();
    d->StartReading(entries);
    int files = 0;
    for (const Entry &entry : entries) {
        const int result = d->ExtractEntry(entry, root, secret);
        if (result < 0)
            return result;
        files += result;
    }
    d->Report(1.0);
    return files;
}

// Every entry is judged before anything is written, so a hostile archive leaves no trace.
int ZipArchive::State::Examine(bool havePassword, std::vector<Entry> &entries)
{
    if (List(entries) != 1)
        return ExtractFailed;
    for (const Entry &entry : entries) {
        if (const QString reason = RefusalReason(reader, entry.index, entry.name); !reason.isEmpty())
            return Fail(ExtractRefused, QString("Nothing was extracted from %1: its entry \"%2\" %3.")
                                            .arg(archivePath, entry.name, reason));
        if (!entry.readable())
            return Fail(ExtractFailed, QString("Nothing was extracted from %1: its entry \"%2\" is encrypted in a way "
                                               "that cannot be read here.")
                                           .arg(archivePath, entry.name));
        if (entry.encrypted() && !havePassword)
            return Fail(ExtractNeedsPassword, QString("%1 is protected: a password is needed.").arg(archivePath));
    }
    if (const QString clash = NameClash(entries); !clash.isEmpty())
        return Fail(ExtractRefused, QString("Nothing was extracted from %1: %2 in it.").arg(archivePath, clash));
    return 1;
}

int ZipArchive::State::List(std::vector<Entry> &entries)
{
    const zip_int64_t count = zip_get_num_entries(reader, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        entries.emplace_back();
        if (Describe(zip_uint64_t(index), entries.back()) != 1)
            return 0;
    }
    return 1;
}

int ZipArchive::State::Describe(zip_uint64_t index, Entry &entry)
{
    zip_stat_t info;
    if (zip_stat_index(reader, index, 0, &info) != 0)
        return Fail(0, QString("Cannot read %1: %2.").arg(archivePath, zip_strerror(reader)));
    const QString name = QString::fromUtf8(info.name);
    entry = {index, name, EntryNameParts(name), IsFolderName(name), info.mtime, info.size, info.encryption_method};
    return 1;
}

// An archive that would fill the disk is refused before anything is written; one whose entries
// grow beyond the sizes it declares is stopped while they are read (ReadThrough).
int ZipArchive::State::CheckRoom(const std::vector<Entry> &entries, const QString &destinationFolder)
{
    quint64 needed = 0;
    for (const Entry &entry : entries)
        needed += entry.size;
    const std::optional<quint64> free = FreeBytesAt(destinationFolder);
    if (!free || needed <= *free)
        return 1;
    return Fail(ExtractFailed, QString("Nothing was extracted from %1: its files need %2, and only %3 are free in %4.")
                                   .arg(archivePath, Megabytes(needed), Megabytes(*free), destinationFolder));
}

// Gives 1 for a file written, 0 for a folder.
int ZipArchive::State::ExtractEntry(const Entry &entry, const QString &root, const QByteArray &password)
{
    const QStringList folders = entry.isFolder ? entry.names : entry.names.mid(0, entry.names.size() - 1);
    QString folder;
    if (const int entered = EnterFolders(root, folders, folder); entered != 1)
        return entered;
    if (entry.isFolder)
        return 0;
    return WriteEntry(entry, folder + '/' + entry.names.last(), password);
}

// Folders are made one at a time and resolved as they go, so that a symbolic link already
// inside the destination can only lead to another place inside it.
int ZipArchive::State::EnterFolders(const QString &root, const QStringList &names, QString &folder)
{
    folder = root;
    for (const QString &name : names) {
        const QString next = folder + '/' + name;
        if (!QFileInfo(next).isDir() && !QDir().mkdir(next))
            return Fail(ExtractFailed, QString("Cannot create the folder %1.").arg(next));
        folder = QFileInfo(next).canonicalFilePath();
        if (!IsInside(root, folder))
            return Fail(ExtractRefused, QString("%1 leads outside %2, nothing was written there.").arg(next, root));
    }
    return 1;
}

// The content goes to a temporary file renamed over the final name only after libzip has
// read the entry to its end and checked it, so a wrong password or a damaged entry never
// leaves wrong content under that name.
int ZipArchive::State::WriteEntry(const Entry &entry, const QString &target, const QByteArray &password)
{
    QTemporaryFile temporary(target + ".XXXXXX");
    if (!temporary.open())
        return Fail(ExtractFailed, QString("Cannot write %1: %2.").arg(target, temporary.errorString()));
    const auto write = [&](const char *data, zip_int64_t size) {
        return temporary.write(data, size) == size ? QString()
                                                   : QString("Cannot write %1: %2.").arg(target, temporary.errorString());
    };
    if (const int read = ReadThrough(entry, password, target, write); read != 1)
        return read;
    if (!Finish(temporary, entry.modified))
        return Fail(ExtractFailed, QString("Cannot write %1: %2.").arg(target, temporary.errorString()));
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return Fail(ExtractFailed, QString("Cannot write %1: %2.").arg(target, std::strerror(errno)));
    temporary.setAutoRemove(false);
    return 1;
}

// Decompresses the entry to its end, handing each piece to the sink (which answers a problem
// that stops the reading, or nothing); libzip checks the CRC at the end. An entry that grows
// beyond its declared size is stopped there: it would be a bomb or a forgery.
int ZipArchive::State::ReadThrough(const Entry &entry, const QByteArray &password, const QString &what,
                                   const ChunkSink &sink)
{
    const char *secret = password.isEmpty() ? nullptr : password.constData();
    const EntryReader source(zip_fopen_index_encrypted(reader, entry.index, 0, secret), zip_fclose);
    if (!source)
        return Fail(ExtractCode(zip_get_error(reader)),
                    QString("Cannot extract %1: %2.").arg(what, LibzipText(zip_get_error(reader))));
    char buffer[64 * 1024];
    zip_int64_t count = 0;
    zip_uint64_t total = 0;
    while ((count = zip_fread(source.get(), buffer, sizeof buffer)) > 0) {
        total += zip_uint64_t(count);
        CountRead(quint64(count));
        if (total > entry.size)
            return Fail(ExtractFailed, QString("Cannot extract %1: the archive says it holds %2 bytes, but it holds "
                                               "more; the archive is damaged or forged.")
                                           .arg(what)
                                           .arg(entry.size));
        if (const QString problem = sink(buffer, count); !problem.isEmpty())
            return Fail(ExtractFailed, problem);
    }
    if (count < 0)
        return Fail(ExtractCode(zip_file_get_error(source.get())),
                    QString("Cannot extract %1: %2.").arg(what, LibzipText(zip_file_get_error(source.get()))));
    if (total < entry.size)
        return Fail(ExtractFailed, QString("Cannot extract %1: the archive says it holds %2 bytes, but it holds %3.")
                                       .arg(what)
                                       .arg(entry.size)
                                       .arg(total));
    return 1;
}

// Every entry is read to its end, as extracting would, but nothing is written. A wrong password
// is told only while no protected entry has opened: after one has, a refusal is damage.
int ZipArchive::TestAll(const QString &password)
{
    if (!d->reader)
        return d->Fail(0, "No archive is open to check.");
    std::vector<Entry> entries;
    if (d->List(entries) != 1)
        return 0;
    const QByteArray secret = password.toUtf8();
    const auto discard = [](const char *, zip_int64_t) { return QString(); };
    bool passwordWorked = false;
    QStringList problems;
    d->StartReading(entries);
    for (const Entry &entry : entries) {
        if (const QString reason = RefusalReason(d->reader, entry.index, entry.name); !reason.isEmpty())
            problems.append(QString("Its entry \"%1\" %2, so it cannot be extracted.").arg(entry.name, reason));
        if (entry.encrypted() && secret.isEmpty())
            return d->Fail(ExtractNeedsPassword, QString("%1 is protected: a password is needed.").arg(d->archivePath));
        if (!entry.readable()) {
            problems.append(QString("Its entry \"%1\" is encrypted in a way that cannot be read here.").arg(entry.name));
        } else if (!entry.isFolder) {
            const int read = d->ReadThrough(entry, secret, entry.name, discard);
            if (read == ExtractWrongPassword && !passwordWorked)
                return read;
            if (read != 1)
                problems.append(d->error);
            passwordWorked = passwordWorked || (entry.encrypted() && read == 1);
        }
    }
    d->Report(1.0);
    if (const QString clash = NameClash(entries); !clash.isEmpty())
        problems.append(QString("%1 in it.").arg(clash));
    d->error = problems.join('\n');
    return problems.isEmpty() ? 1 : 0;
}

QStringList ZipArchive::EntryNames()
{
    std::vector<Entry> entries;
    QStringList names;
    if (d->reader && d->List(entries) == 1) {
        for (const Entry &entry : entries)
            names.append(entry.name);
    }
    return names;
}

std::optional<QByteArray> ZipArchive::ReadEntry(const QString &name, const QString &password, qint64 largest)
{
    const zip_int64_t index = d->reader ? zip_name_locate(d->reader, name.toUtf8().constData(), 0) : -1;
    if (index < 0) {
        d->error = QString("%1 holds no entry %2.").arg(d->archivePath, name);
        return std::nullopt;
    }
    Entry entry;
    if (d->Describe(zip_uint64_t(index), entry) != 1)
        return std::nullopt;
    if (!entry.readable()) {
        d->error = QString("%1 is encrypted in a way that cannot be read here.").arg(name);
        return std::nullopt;
    }
    if (entry.size > quint64(largest)) {
        d->error = QString("%1 is too large to be read here.").arg(name);
        return std::nullopt;
    }
    QByteArray content;
    const auto keep = [&content](const char *data, zip_int64_t size) {
        content.append(data, size);
        return QString();
    };
    if (d->ReadThrough(entry, password.toUtf8(), name, keep) != 1)
        return std::nullopt;
    return content;
}

int ZipArchive::CheckRoom(const QString &destinationFolder)
{
    std::vector<Entry> entries;
    if (!d->reader)
        return d->Fail(0, "No archive is open to check.");
    return d->List(entries) == 1 && d->CheckRoom(entries, destinationFolder) == 1 ? 1 : 0;
}

void ZipArchive::CloseArchive()
{
    if (d->reader)
        zip_discard(d->reader);
    d->reader = nullptr;
}

void ZipArchive::SetProgressHandler(ProgressHandler handler) { d->progress = std::move(handler); }

QString ZipArchive::LastError() const { return d->error; }

QString EntryNameRefusal(const QString &name)
{
    const QStringList parts = EntryNameParts(name);
    if (parts.isEmpty())
        return "has no name";
    if (HasControlCharacter(name))
        return "has a control character in its name";
    if (name.startsWith('/') || name.startsWith('\\'))
        return "is an absolute path";
    if (name.size() > 1 && name[0].isLetter() && name[1] == ':')
        return "names a drive";
    if (parts.contains(".."))
        return "climbs out of the folder with \"..\"";
    return {};
}

// Entry names may use either separator; both split folders when extracting.
QStringList EntryNameParts(const QString &name)
{
    static const QRegularExpression separators(R"([\\/])");
    QStringList parts = name.split(separators, Qt::SkipEmptyParts);
    parts.removeAll(".");
    return parts;
}

QString ComponentVersionText() { return QString("libzip ") + zip_libzip_version(); }
