// A build that shows the installed copy only: nothing is fetched.
#include "webcopy.h"

namespace WebCopy {

bool enabled()
{
    return false;
}

void fetch(QObject *, const QUrl &, const std::function<void(const QByteArray &)> &done)
{
    done(QByteArray());
}

} // namespace WebCopy
