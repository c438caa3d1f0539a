#pragma once

#include <QString>

#include <optional>

namespace printkit {

enum class CUPSQueueState { idle, processing, stopped, unknown };

QString rawValue(CUPSQueueState state);
std::optional<CUPSQueueState> cupsQueueStateFromRaw(const QString &raw);

// The last reading of one CUPS queue.
class CUPSQueueStatus
{
public:
    CUPSQueueStatus() = default; // an unread queue: unknown state, nothing pending
    CUPSQueueStatus(QString queueName, CUPSQueueState state, QString stateMessage, qint64 pendingJobCount)
        : m_queueName(std::move(queueName)), m_state(state), m_stateMessage(std::move(stateMessage)),
          m_pendingJobCount(pendingJobCount)
    {
    }

    const QString &queueName() const { return m_queueName; }
    CUPSQueueState state() const { return m_state; }
    const QString &stateMessage() const { return m_stateMessage; }
    qint64 pendingJobCount() const { return m_pendingJobCount; }
    bool isStopped() const { return m_state == CUPSQueueState::stopped; }

private:
    QString m_queueName;
    CUPSQueueState m_state = CUPSQueueState::unknown;
    QString m_stateMessage;
    qint64 m_pendingJobCount = 0;
};

} // namespace printkit
