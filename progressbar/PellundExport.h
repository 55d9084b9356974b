#pragma once

#include <QtCore/qglobal.h>

#if defined(PELLUND_LIBRARY)
#define PELLUND_EXPORT Q_DECL_EXPORT
#else
#define PELLUND_EXPORT Q_DECL_IMPORT
#endif
