#include "modRegEdit.h"

#include "rules.h"

#include <QLineEdit>

namespace modRegEdit {

SettingsStore::WriteResult SaveSettingValue(const QString &value, const QVariant &application,
                                            const QVariant &section, const QVariant &key)
{
    return SettingsStore::write(value, application.toString(), section.toString(), key.toString());
}

void LoadSettingInto(QLineEdit &box, const QVariant &application, const QVariant &section,
                     const QVariant &key)
{
    const QString value =
        SettingsStore::read(application.toString(), section.toString(), key.toString());
    if (Rules::characterCount(value) > 1)
        box.setText(value);
}

} // namespace modRegEdit
