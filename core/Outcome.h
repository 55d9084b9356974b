#pragma once

#include <QString>
#include <optional>
#include <utility>

// A value, or the reason there is none, in words a user can read.
template <typename T>
class Outcome {
public:
    static Outcome success(T value) { return Outcome(std::move(value), QString()); }
    static Outcome failure(QString error) { return Outcome(std::nullopt, std::move(error)); }

    explicit operator bool() const { return value_.has_value(); }
    const T &value() const { return *value_; }
    const QString &error() const { return error_; }

private:
    Outcome(std::optional<T> value, QString error) : value_(std::move(value)), error_(std::move(error)) {}

    std::optional<T> value_;
    QString error_;
};
