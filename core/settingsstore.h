// The per-user settings store: text values addressed by application, section
// and key. On Windows the current user's registry
// (HKEY_CURRENT_USER\Software\<application>\<section>, value <key>); elsewhere
// the file <config folder>/<application>.conf with [<section>] and <key>=.
#pragma once

#include <QString>

namespace SettingsStore {

// Where the entries of an application live, for messages and documentation.
QString storeLocation(const QString &application);

// The stored text; empty when the entry is missing or the store cannot be
// read or parsed. Never writes anything.
QString read(const QString &application, const QString &section, const QString &key);

struct WriteResult
{
    bool saved = false;
    QString reason; // why not, for the user
};

// Stores the text verbatim, creating the application and section as needed,
// and checks that it reads back.
WriteResult write(const QString &value, const QString &application, const QString &section,
                  const QString &key);

} // namespace SettingsStore
