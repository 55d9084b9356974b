#pragma once

#include "PellundExport.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

// The keyed store a container saves a control's properties in. A value equal to its default is
// not stored, so a saved instance carries only what differs.
class PELLUND_EXPORT PropertyBag {
public:
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue) const;
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &defaultValue);

    bool Contains(const QString &name) const { return values_.contains(name); }
    const QVariantMap &Values() const { return values_; }
    void SetValues(const QVariantMap &values) { values_ = values; }

private:
    QVariantMap values_;
};
