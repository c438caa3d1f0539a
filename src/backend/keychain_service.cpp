#include "backend/keychain_service.h"

#include <QCoroSignal>
#include <QLoggingCategory>
#include <QPointer>
#include <QStringDecoder>
#include <memory>
#include <qt6keychain/keychain.h>

Q_LOGGING_CATEGORY(lcKeychain, "app.quillmark.Quillmark.Keychain")

namespace quill {

namespace {

// Jobs are deleted on the next turn of the event loop, never inside their own signal.
struct LaterDeleter
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

template <typename Job> using JobPtr = std::unique_ptr<Job, LaterDeleter>;

template <typename Job> JobPtr<Job> makeJob(const QString &service, const QString &account)
{
    JobPtr<Job> job(new Job(service));
    job->setAutoDelete(false);
    job->setKey(account);
    return job;
}

// Job::start() only queues the job, so the connection made by the await is in place
// before `finished` can be emitted.
QCoro::Task<> run(QKeychain::Job *job)
{
    job->start();
    co_await qCoro(job, &QKeychain::Job::finished);
}

} // namespace

KeychainError KeychainError::saveFailed(int status, const QString &detail)
{
    QString message = QStringLiteral("Keychain save failed (%1)").arg(status);
    if (!detail.isEmpty())
        message += QStringLiteral(": ") + detail;
    return KeychainError(Kind::saveFailed, status, std::move(message));
}

SystemKeychain::SystemKeychain(QString service) : m_service(std::move(service)) {}

QCoro::Task<> SystemKeychain::save(QString value, QString account)
{
    // Written over the existing item in one step: deleting first would lose the
    // stored session whenever the write then fails.
    auto job = makeJob<QKeychain::WritePasswordJob>(m_service, account);
    job->setBinaryData(value.toUtf8());
    co_await run(job.get());
    if (job->error() != QKeychain::NoError) {
        const int status = int(job->error());
        qCCritical(lcKeychain, "Keychain save failed: %d", status);
        throw KeychainError::saveFailed(status, job->errorString());
    }
}

QCoro::Task<std::optional<QString>> SystemKeychain::load(QString account)
{
    auto job = makeJob<QKeychain::ReadPasswordJob>(m_service, account);
    co_await run(job.get());
    if (job->error() == QKeychain::EntryNotFound)
        co_return std::nullopt;
    if (job->error() != QKeychain::NoError) {
        qCCritical(lcKeychain, "Keychain load failed: %d (%s)", int(job->error()),
                   qUtf8Printable(job->errorString()));
        co_return std::nullopt;
    }
    const QByteArray data = job->binaryData();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        co_return std::nullopt;
    co_return std::optional<QString>(std::move(text));
}

QCoro::Task<> SystemKeychain::remove(QString account)
{
    auto job = makeJob<QKeychain::DeletePasswordJob>(m_service, account);
    co_await run(job.get());
}

} // namespace quill
