#include "settingsstore.h"

#include "platform.h"

#include <QFileInfo>
#include <QSettings>

namespace SettingsStore {

QString storeLocation(const QString &application)
{
    return Platform::settingsStorePath(application);
}

static QSettings::Format storeFormat()
{
    return Platform::settingsStoreIsFile() ? QSettings::IniFormat : QSettings::NativeFormat;
}

QString read(const QString &application, const QString &section, const QString &key)
{
    QSettings store(storeLocation(application), storeFormat());
    const QVariant value = store.value(section + QLatin1Char('/') + key);
    // A damaged or unreadable store reads as a missing entry.
    if (store.status() != QSettings::NoError || value.typeId() != QMetaType::QString)
        return QString();
    return value.toString();
}

// What stands in the way of writing the settings file, as far as one can tell.
static QString fileWriteProblem(const QString &path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("%1 is a folder, not a file.").arg(path);
    if (file.exists() && !file.isWritable())
        return QStringLiteral("%1 is not writable.").arg(path);
    QFileInfo folder(file.absolutePath());
    while (!folder.exists() && folder.absoluteFilePath() != folder.absolutePath())
        folder.setFile(folder.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("%1 is not a folder.").arg(folder.absoluteFilePath());
    if (!folder.isWritable())
        return QStringLiteral("The folder %1 is not writable.").arg(folder.absoluteFilePath());
    return QStringLiteral("%1 could not be written; the disk may be full.").arg(path);
}

WriteResult write(const QString &value, const QString &application, const QString &section,
                  const QString &key)
{
    const QString location = storeLocation(application);
    const QString name = section + QLatin1Char('/') + key;
    QSettings::Status status;
    {
        QSettings store(location, storeFormat());
        store.setValue(name, value);
        store.sync();
        // A damaged file that was replaced reports FormatError; only access counts.
        status = store.status();
    }
    if (status != QSettings::AccessError) {
        QSettings check(location, storeFormat());
        if (check.value(name) == QVariant(value))
            return {true, QString()};
    }
    if (Platform::settingsStoreIsFile())
        return {false, fileWriteProblem(location)};
    return {false, QStringLiteral("The registry key %1 could not be written.").arg(location)};
}

} // namespace SettingsStore
