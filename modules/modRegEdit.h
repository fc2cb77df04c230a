// The tool location in the per-user settings store.
#pragma once

#include "settingsstore.h"

#include <QString>
#include <QVariant>

class QLineEdit;

namespace modRegEdit {

// Writes the value verbatim under application, section and key. The result
// tells whether it was saved, so that a failure is never taken for success.
SettingsStore::WriteResult SaveSettingValue(const QString &value, const QVariant &application,
                                            const QVariant &section, const QVariant &key);

// Puts the stored value into the box when it has two or more characters;
// otherwise (one character, empty, missing, unreadable) leaves the box as it is.
void LoadSettingInto(QLineEdit &box, const QVariant &application, const QVariant &section,
                     const QVariant &key);

} // namespace modRegEdit
