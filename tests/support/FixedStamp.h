#pragma once

#include <QString>

// The moment the tests archive at, so that every archive name is known beforehand: 2 January 2024,
// 03:04:05, as the date stamp of archive names writes it.
inline const QString kFixedStamp = QStringLiteral("20240102030405");
