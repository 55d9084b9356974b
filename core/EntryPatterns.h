#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>

// Entry names chosen as unzip chooses them: each pattern is matched against the whole name as the
// archive stores it ("Forms/Main.frm"), case and all; "*" stands for any run of characters, "/"
// included, and "?" for any one character. Either separator stands for either, as extracting
// takes both ("Forms\Main.frm", as list shows the entry, is the same name). Every other character
// stands for itself.
class EntryPatterns {
public:
    explicit EntryPatterns(const QStringList &patterns);

    bool IsEmpty() const { return patterns_.isEmpty(); }
    // Whether some pattern matches the name; every name matches when there are no patterns.
    bool Match(const QString &entryName) const;
    // The patterns that match none of the names, in the order given.
    QStringList Unmatched(const QStringList &entryNames) const;

private:
    QStringList patterns_;
    std::vector<QRegularExpression> expressions_;
};
