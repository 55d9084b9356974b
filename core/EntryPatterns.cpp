#include "EntryPatterns.h"

#include <algorithm>

namespace {

QRegularExpression Expression(const QString &pattern)
{
    QString expression;
    for (const QChar character : pattern) {
        if (character == '*')
            expression += QStringLiteral(".*");
        else if (character == '?')
            expression += '.';
        else if (character == '/' || character == '\\')
            expression += QStringLiteral(R"([/\\])");
        else
            expression += QRegularExpression::escape(character);
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

EntryPatterns::EntryPatterns(const QStringList &patterns) : patterns_(patterns)
{
    for (const QString &pattern : patterns)
        expressions_.push_back(Expression(pattern));
}

bool EntryPatterns::Match(const QString &entryName) const
{
    return IsEmpty()
           || std::any_of(expressions_.begin(), expressions_.end(), [&entryName](const QRegularExpression &pattern) {
                  return pattern.match(entryName).hasMatch();
              });
}

QStringList EntryPatterns::Unmatched(const QStringList &entryNames) const
{
    QStringList unmatched;
    for (size_t index = 0; index < expressions_.size(); ++index) {
        const QRegularExpression &pattern = expressions_[index];
        if (std::none_of(entryNames.begin(), entryNames.end(),
                         [&pattern](const QString &name) { return pattern.match(name).hasMatch(); }))
            unmatched.append(patterns_[qsizetype(index)]);
    }
    return unmatched;
}
