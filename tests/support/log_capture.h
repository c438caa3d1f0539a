#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace quill::testing {

// Collects the messages logged while it lives, with their category and level: every
// category's, or only those of `category` when one is given.
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

    explicit LogCapture(const char *category = nullptr)
        : m_category(category), m_previous(qInstallMessageHandler(&LogCapture::handle))
    {
        active() = this;
    }
    ~LogCapture()
    {
        active() = nullptr;
        qInstallMessageHandler(m_previous);
    }

    const QList<Entry> &entries() const { return m_entries; }
    QStringList messages() const
    {
        QStringList texts;
        for (const Entry &entry : m_entries)
            texts.append(entry.message);
        return texts;
    }

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
        LogCapture *capture = active();
        if (!capture || (capture->m_category && qstrcmp(context.category, capture->m_category) != 0))
            return;
        capture->m_entries.append(
            Entry{type, QString::fromUtf8(context.category ? context.category : ""), message});
    }

    const char *m_category;
    QtMessageHandler m_previous;
    QList<Entry> m_entries;
};

} // namespace quill::testing
