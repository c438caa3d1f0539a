#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace quill::testing {

// Collects every message logged while it lives, with its category and level.
class LogCapture final
{
    Q_DISABLE_COPY_MOVE(LogCapture)

public:
    struct Entry
    {
        QtMsgType type;
        QString category;
        QString message;
    };

    LogCapture() : m_previous(qInstallMessageHandler(&LogCapture::handle)) { active() = this; }
    ~LogCapture()
    {
        active() = nullptr;
        qInstallMessageHandler(m_previous);
    }

    const QList<Entry> &entries() const { return m_entries; }

    // The messages of one category and level holding `part`.
    QList<Entry> matching(const QString &category, QtMsgType type, const QString &part) const
    {
        QList<Entry> found;
        for (const Entry &entry : m_entries) {
            if (entry.category == category && entry.type == type && entry.message.contains(part))
                found.append(entry);
        }
        return found;
    }

private:
    static LogCapture *&active()
    {
        static LogCapture *capture = nullptr;
        return capture;
    }

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (LogCapture *capture = active())
            capture->m_entries.append(
                Entry{type, QString::fromUtf8(context.category ? context.category : ""), message});
    }

    QtMessageHandler m_previous;
    QList<Entry> m_entries;
};

} // namespace quill::testing
