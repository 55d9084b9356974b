#pragma once

#include "Outcome.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// What two backups of a project hold, compared: an archive against another, or the project on disk
// against an archive. Members are compared by entry name, size and CRC-32; the project file by its
// lines, in the form archiving writes them (each member line naming its entry in the archive, so
// that the project on disk compares with what archiving it would store).

struct DiffSide {
    struct Member {
        quint64 size = 0;
        std::optional<quint32>
            crc; // nothing: a protected entry whose CRC the archive leaves out, read without password
    };
    QString Name;                     // the archive, or the project file
    QMap<QString, Member> Members;    // by entry name, "/" between names; the project file at the root is not one
    std::optional<Member> ProjectSum; // what the (rewritten) project file stores
    std::optional<QStringList> ProjectLines; // nothing when they could not be read
    QString ProjectLinesUnread;              // why not
    QStringList Unreadable;                  // files of the project that could not be read, each with the reason
};

// The archive's entries, and its project file's lines. Without a password a protected project file
// cannot be read: its lines are left out, saying why. A failure when the archive cannot be listed,
// holds no project file at its root, or an entry cannot be read with the password given.
[[nodiscard]] Outcome<DiffSide> ReadArchiveSide(const QString &archive, const QString &password);

// What archiving the project now would store: each member, companion and referenced file that
// exists, summed as archiving would store it (Windows line ends for text members when asked), and
// the project file's lines as archiving rewrites them. A failure when the project file cannot be read.
[[nodiscard]] Outcome<DiffSide> ReadProjectSide(const QString &projectFile, bool windowsLineEnds);

struct MemberChange {
    QString Entry;
    std::optional<DiffSide::Member> Old; // nothing: added
    std::optional<DiffSide::Member> New; // nothing: removed
};

struct DiffResult {
    QList<MemberChange> Added, Removed, Changed; // each by entry name
    bool LinesCompared = false;
    // Its lines differ; or, when they could not be compared, its size or CRC-32.
    bool ProjectFileChanged = false;
    QStringList LineChanges; // "-LINE" of the old project file, "+LINE" of the new, in file order
    bool Differs() const { return !Added.isEmpty() || !Removed.isEmpty() || !Changed.isEmpty() || ProjectFileChanged; }
};

// A member whose CRC-32 one side does not know is compared by its size alone; so is the project file
// when its lines could not be read (protected, no password).
[[nodiscard]] DiffResult CompareSides(const DiffSide &old, const DiffSide &now);
