#pragma once

#include "ProjectFile.h"

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// Where the files of each line of a project file lie on the disk, found on a thread of its own
// while the archiver goes through the lines in order: resolving a path the way Windows would, whatever
// its case, and reading a form's properties for the binary files it names, take longer than adding
// what they find. Nothing is decided here: the archiver checks each file as it comes to it.
class MemberFilesAhead {
public:
    struct Line {
        MemberLine parsed;
        QString memberFile;          // the member's own file; empty on a line that names none
        QString companionFile;       // empty when the member has no companion
        QStringList referencedPaths; // as the project file would write them (see ReferencedFilePaths)
        QStringList referencedFiles; // where each of them lies, in the same order
    };

    MemberFilesAhead(const QString &projectRoot, QStringList lines);
    // Stops looking ahead: an archiver that fails or is stopped leaves the lines after it unread.
    ~MemberFilesAhead();
    MemberFilesAhead(const MemberFilesAhead &) = delete;
    MemberFilesAhead &operator=(const MemberFilesAhead &) = delete;

    // The files of line index, waiting for them when they are not found yet.
    const Line &At(qsizetype index);

private:
    void Find();

    const QString projectRoot_;
    const QStringList lines_;
    std::vector<Line> found_;
    qsizetype done_ = 0; // the lines whose files are found, from the first
    bool stopping_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
    std::thread finder_;
};
