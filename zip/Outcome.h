#pragma once

#include <QString>
#include <optional>
#include <utility>

// A value, or the reason there is none, in words a user can read.
template <typename T>
class [[nodiscard]] Outcome {
public:
    static Outcome success(T value) { return Outcome(std::move(value), QString()); }
    static Outcome failure(QString error) { return Outcome(std::nullopt, std::move(error)); }

    explicit operator bool() const { return value_.has_value(); }
    const T &value() const & { return *value_; }
    T &&value() && { return std::move(*value_); }
    const QString &error() const { return error_; }

private:
    Outcome(std::optional<T> value, QString error) : value_(std::move(value)), error_(std::move(error)) {}

    std::optional<T> value_;
    QString error_;
};

// Done, or the reason it was not, for work that gives nothing back.
template <>
class [[nodiscard]] Outcome<void> {
public:
    static Outcome success() { return Outcome(true, QString()); }
    static Outcome failure(QString error) { return Outcome(false, std::move(error)); }

    explicit operator bool() const { return done_; }
    const QString &error() const { return error_; }

private:
    Outcome(bool done, QString error) : done_(done), error_(std::move(error)) {}

    bool done_;
    QString error_;
};
