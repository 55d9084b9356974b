#include "ZipLibrary.h"

#include "ComponentVersion.h"

QString LibzipText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

QString LibzipText(zip_error_t *error) { return QString::fromUtf8(zip_error_strerror(error)); }

QString ComponentVersionText() { return QString("libzip ") + zip_libzip_version(); }
