#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// An error as the program's modules raise it: a 32-bit number, the place that raised it and a
// description. The program's own numbers are the object-error base plus an offset.
class QuenzarError : public std::exception {
public:
    static constexpr qint32 ObjectErrorBase = static_cast<qint32>(0x80040000u);

    QuenzarError(qint32 number, QString source, QString description)
        : number_(number), source_(std::move(source)), description_(std::move(description)),
          what_(description_.toUtf8())
    {
    }

    qint32 Number() const { return number_; }
    const QString &Source() const { return source_; }
    const QString &Description() const { return description_; }
    const char *what() const noexcept override { return what_.constData(); }

private:
    qint32 number_;
    QString source_;
    QString description_;
    QByteArray what_;
};
