// A project file as the archiver reads it: ReadProjectInfo over the whole file, then every line
// through ParseMemberLine, and each member's place in the archive.
#include "FuzzSupport.h"
#include "LineReader.h"
#include "MemberPaths.h"
#include "ProjectFile.h"
#include "ZipReader.h"

#include <QFile>
#include <cstring>

namespace {

void CheckMember(const MemberLine &parsed, const QString &line)
{
    FUZZ_REQUIRE(parsed.line == line);
    if (parsed.status == MemberLine::Status::NotMember)
        return;
    FUZZ_REQUIRE(line.startsWith(MemberPrefix(parsed.member.Kind)));
    if (parsed.status == MemberLine::Status::Malformed) {
        FUZZ_REQUIRE(!parsed.problem.isEmpty());
        return;
    }
    const ProjectMember &member = parsed.member;
    FUZZ_REQUIRE(!member.Path.isEmpty());
    FUZZ_REQUIRE(!member.Path.contains('"'));
    FUZZ_REQUIRE(SanitizeFileName(member.Path).size() == member.Path.size());
    if (member.CompanionExt)
        FUZZ_REQUIRE(CompanionPath(member.Path, *member.CompanionExt).endsWith(*member.CompanionExt));
    // Whatever a member line says, its entry is one that extracting the archive accepts.
    FUZZ_REQUIRE(EntryNameRefusal(ArchiveEntryPath(member.Path)).isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInput(QStringLiteral("Fuzz.vbp"), data, size);
    ProjectIdentity identity;
    const Outcome<qint32> lineCount = ReadProjectInfo(path, identity);

    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::ReadOnly));
    LineReader reader(file);
    TextLine line;
    qint32 lines = 0;
    qint32 firstNulLine = 0;
    qint32 firstWordLine = 0; // the first line that is not blank, which must be the Type= line
    QByteArray firstWords;
    while (reader.Next(line)) {
        ++lines;
        if (firstNulLine == 0 && line.bytes.contains('\0'))
            firstNulLine = lines;
        const QByteArray words =
            (lines == 1 && line.bytes.startsWith("\xEF\xBB\xBF") ? line.bytes.mid(3) : line.bytes).trimmed();
        if (firstWordLine == 0 && !words.isEmpty()) {
            firstWordLine = lines;
            firstWords = words;
        }
        CheckMember(ParseMemberLine(line.text), line.text);
    }
    FUZZ_REQUIRE(!reader.Failed());
    // The refusals an input can earn (the file was just written, and has far fewer lines than the
    // limit): no Type= line first, or binary data, which no project file holds, named by the first
    // line holding it; whichever comes first.
    const bool typed = firstWordLine != 0 && firstWords.toLower().startsWith("type=");
    const bool binary = firstNulLine != 0 && (typed || firstNulLine <= firstWordLine);
    FUZZ_REQUIRE(bool(lineCount) == (typed && !binary));
    if (binary)
        FUZZ_REQUIRE(lineCount.error().endsWith(QStringLiteral(": line %1 holds binary data").arg(firstNulLine)));
    else if (!typed)
        FUZZ_REQUIRE(lineCount.error().startsWith(path + QStringLiteral(" is ")));
    else
        FUZZ_REQUIRE(lines == lineCount.value());
    return 0;
}
