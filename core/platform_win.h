// What only the Windows unit offers beside platform.h: its test seam.
// Defined in platform_win.cpp.
#pragma once

#include <QString>

#include <functional>

namespace Platform {

// Test seam: gives the short form of a full path in place of
// GetShortPathNameW (a volume without short names gives the path back).
// Empty: the system's.
void setShortPathForTesting(std::function<QString(const QString &)> shortPath);

} // namespace Platform
