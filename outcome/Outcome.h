#pragma once

#include <QString>
#include <optional>
#include <utility>

// A value, or the reason there is none: in words a user can read by default, or in an error type
// of the operation's own when callers must tell failures apart.
template <typename T, typename Error = QString>
class [[nodiscard]] Outcome {
public:
    static Outcome success(T value) { return Outcome(std::move(value), Error()); }
    static Outcome failure(Error error) { return Outcome(std::nullopt, std::move(error)); }

    explicit operator bool() const { return value_.has_value(); }
    const T &value() const & { return *value_; }
    T &&value() && { return std::move(*value_); }
    T value_or(T otherwise) const { return value_ ? *value_ : std::move(otherwise); }
    const Error &error() const { return error_; }

private:
    Outcome(std::optional<T> value, Error error) : value_(std::move(value)), error_(std::move(error)) {}

    std::optional<T> value_;
    Error error_;
};

// Done, or the reason it was not, for work that gives nothing back.
template <typename Error>
class [[nodiscard]] Outcome<void, Error> {
public:
    static Outcome success() { return Outcome(true, Error()); }
    static Outcome failure(Error error) { return Outcome(false, std::move(error)); }

    explicit operator bool() const { return done_; }
    const Error &error() const { return error_; }

private:
    Outcome(bool done, Error error) : done_(done), error_(std::move(error)) {}

    bool done_;
    Error error_;
};
