#include "ui/widgets/user_avatar_view.h"

#include "printkit/rendering/image_decoder.h"
#include "ui/widgets/style.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPainterPath>

namespace quill {

namespace {
// Avatars are drawn at most a few dozen points across.
constexpr int kAvatarPixels = 256;
constexpr qint64 kMaxAvatarPixels = 4096LL * 4096LL;
} // namespace

int avatarColorIndex(const QString &username)
{
    quint64 sum = 0;
    for (const char32_t scalar : username.toUcs4())
        sum += scalar;
    return int(sum % 8);
}

QColor avatarColor(int index)
{
    static const SystemColor colors[] = {SystemColor::blue, SystemColor::purple, SystemColor::orange,
                                         SystemColor::pink, SystemColor::teal,   SystemColor::indigo,
                                         SystemColor::mint, SystemColor::cyan};
    return systemColor(colors[((index % 8) + 8) % 8]);
}

AvatarImageLoader::AvatarImageLoader(QObject *parent) : QObject(parent)
{
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { abandon(QStringLiteral("The image took too long")); });
}

AvatarImageLoader::~AvatarImageLoader()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

std::optional<QUrl> AvatarImageLoader::fetchableUrl(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    return url;
}

void AvatarImageLoader::load(const QString &address)
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_data.clear();
    const auto url = fetchableUrl(address);
    if (!url) {
        Q_EMIT failed(QStringLiteral("Not an http(s) address"));
        return;
    }
    QNetworkRequest request(*url);
    request.setTransferTimeout(int(m_timeout.count()));
    // Redirects must stay on http(s) too; the policy refuses https -> http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_maxBytes)
            abandon(QStringLiteral("The image is too large"));
    });
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_data += m_reply->readAll();
        if (m_data.size() > m_maxBytes)
            abandon(QStringLiteral("The image is too large"));
    });
    connect(m_reply, &QNetworkReply::redirected, this, [this](const QUrl &target) {
        if (!fetchableUrl(target.toString()))
            abandon(QStringLiteral("Redirected away from http(s)"));
    });
    connect(m_reply, &QNetworkReply::finished, this, &AvatarImageLoader::finish);
    m_deadline.start(2 * m_timeout);
}

void AvatarImageLoader::abandon(const QString &reason)
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    m_deadline.stop();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    m_data.clear();
    Q_EMIT failed(reason);
}

void AvatarImageLoader::finish()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    m_deadline.stop();
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        m_data.clear();
        Q_EMIT failed(reply->errorString());
        return;
    }
    m_data += reply->readAll();
    if (m_data.size() > m_maxBytes) {
        m_data.clear();
        Q_EMIT failed(QStringLiteral("The image is too large"));
        return;
    }
    // Only the formats an avatar may have, read from the bytes themselves; a small file can
    // still claim a huge picture, and avatars are shown tiny.
    QImage image;
    QString problem;
    try {
        const QSize size = printkit::readImageSize(m_data, printkit::ImageUse::avatar);
        if (qint64(size.width()) * size.height() > kMaxAvatarPixels)
            problem = QStringLiteral("The image is too large");
        else
            image = printkit::decodeImage(m_data, QSize(kAvatarPixels, kAvatarPixels),
                                          printkit::ImageUse::avatar);
    } catch (const printkit::ImageDecodeError &) {
        problem = QStringLiteral("Not an image");
    }
    m_data.clear();
    if (!problem.isEmpty()) {
        Q_EMIT failed(problem);
        return;
    }
    Q_EMIT loaded(image);
}

UserAvatarView::UserAvatarView(QString username, std::optional<QString> avatarURL, int size, QWidget *parent)
    : QWidget(parent), m_username(std::move(username)), m_size(size)
{
    setFixedSize(size, size);
    connect(&m_loader, &AvatarImageLoader::loaded, this, [this](const QImage &image) {
        m_image = image;
        update();
    });
    if (avatarURL)
        m_loader.load(*avatarURL);
}

void paintUserAvatar(QPainter &painter, const QRectF &circle, const QString &username, const QImage &image)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!image.isNull()) {
        QPainterPath clip;
        clip.addEllipse(circle);
        painter.setClipPath(clip, Qt::IntersectClip);
        // Fill the square: scale the shorter side to the diameter and centre the rest.
        const QSize side = circle.size().toSize();
        const QImage scaled = image.scaled(side, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        painter.drawImage(QPointF(circle.x() + (circle.width() - scaled.width()) / 2.0,
                                  circle.y() + (circle.height() - scaled.height()) / 2.0),
                          scaled);
        painter.restore();
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(avatarColor(avatarColorIndex(username)));
    painter.drawEllipse(circle);
    if (!username.isEmpty()) {
        // The first character, a surrogate pair kept whole.
        const int length = username.at(0).isHighSurrogate() && username.size() > 1 ? 2 : 1;
        painter.setPen(Qt::white);
        painter.setFont(systemFont(circle.width() * 0.45, QFont::DemiBold));
        painter.drawText(circle, Qt::AlignCenter, username.left(length).toUpper());
    }
    painter.restore();
}

void UserAvatarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintUserAvatar(painter, QRectF(0, 0, m_size, m_size), m_username, m_image);
}

} // namespace quill
