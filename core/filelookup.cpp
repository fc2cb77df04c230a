#include "filelookup.h"

#include "platform.h"

namespace FileLookup {

QString fileName(const QString &path)
{
    return Platform::storedFileName(path);
}

} // namespace FileLookup
