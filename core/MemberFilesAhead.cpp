#include "MemberFilesAhead.h"

#include "MemberPaths.h"
#include "ReferencedFiles.h"

MemberFilesAhead::MemberFilesAhead(const QString &projectRoot, QStringList lines)
    : projectRoot_(projectRoot), lines_(std::move(lines)), found_(size_t(lines_.size())), finder_([this] { Find(); })
{
}

MemberFilesAhead::~MemberFilesAhead()
{
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    finder_.join();
}

const MemberFilesAhead::Line &MemberFilesAhead::At(qsizetype index)
{
    std::unique_lock guard(lock_);
    changed_.wait(guard, [this, index] { return done_ > index; });
    return found_[size_t(index)];
}

void MemberFilesAhead::Find()
{
    for (qsizetype index = 0; index < lines_.size(); ++index) {
        {
            std::lock_guard guard(lock_);
            if (stopping_)
                return;
        }
        // Only this thread writes the lines not yet done; At reads only those done.
        Line &line = found_[size_t(index)];
        line.parsed = ParseMemberLine(lines_[index]);
        if (line.parsed.status == MemberLine::Status::Member) {
            const ProjectMember &member = line.parsed.member;
            line.memberFile = MemberAbsolutePath(projectRoot_, member.Path);
            if (member.CompanionExt)
                line.companionFile = MemberAbsolutePath(projectRoot_, CompanionPath(member.Path, *member.CompanionExt));
            if (MayReferenceBinaryFiles(member.Kind)) {
                line.referencedPaths = ReferencedFilePaths(member, line.memberFile);
                for (const QString &path : std::as_const(line.referencedPaths))
                    line.referencedFiles.append(MemberAbsolutePath(projectRoot_, path));
            }
        }
        {
            std::lock_guard guard(lock_);
            done_ = index + 1;
        }
        changed_.notify_all();
    }
}
