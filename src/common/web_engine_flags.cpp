#include "common/web_engine_flags.h"

#include <QtGlobal>

namespace quill {

namespace {
const char *const kFlagsVariable = "QTWEBENGINE_CHROMIUM_FLAGS";
}

QByteArray withChromiumFlags(const QByteArray &existing, const QByteArrayList &flags)
{
    QByteArrayList present = existing.simplified().split(' ');
    present.removeAll(QByteArray());
    for (const QByteArray &flag : flags) {
        if (!present.contains(flag))
            present.append(flag);
    }
    return present.join(' ');
}

void keepBackgroundPagesRunning()
{
    qputenv(kFlagsVariable, withChromiumFlags(qgetenv(kFlagsVariable), kBackgroundPageFlags));
}

} // namespace quill
