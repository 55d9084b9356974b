// The object itself and what every job of it shares.
#include "ZipArchiveState.h"

ZipArchive::ZipArchive() : d(std::make_unique<State>()) {}

ZipArchive::~ZipArchive() { CloseArchive(); }

void ZipArchive::SetProgressHandler(ProgressHandler handler) { d->progress = std::move(handler); }

void ZipArchive::SetStopCheck(StopCheck check) { d->stopCheck = std::move(check); }

QString ZipArchive::LastError() const { return d->error; }

int ZipArchive::State::Fail(int code, const QString &reason)
{
    error = reason;
    return code;
}

void ZipArchive::State::Report(double share) const
{
    if (progress)
        progress(share);
}

bool ZipArchive::State::StopAsked() const { return stopCheck && stopCheck(); }

QString ZipArchive::State::LibzipText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

QString ZipArchive::State::LibzipText(zip_error_t *error) { return QString::fromUtf8(zip_error_strerror(error)); }

QString ComponentVersionText() { return QString("libzip ") + zip_libzip_version(); }
