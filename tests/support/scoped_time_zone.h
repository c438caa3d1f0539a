#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace quill::testing {

// Every test runs in UTC, where local time and UTC read the same. This puts the
// process in another zone for one scope (a POSIX zone text, so no zone files are
// needed) and restores the one before.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char *zone) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace quill::testing
