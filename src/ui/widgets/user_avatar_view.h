#pragma once

#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <optional>

class QPainter;

namespace quill {

// Index 0..7 of the fallback colour: the sum of the name's Unicode scalar values
// (code points, so a character outside the Basic Multilingual Plane counts once)
// modulo 8. An empty name gives 0.
int avatarColorIndex(const QString &username);
// Blue, purple, orange, pink, teal, indigo, mint, cyan.
QColor avatarColor(int index);

// Fetches one avatar image. Addresses come from the marketplace page, so only
// http and https are fetched, an answer larger than the cap is abandoned, and a fetch
// ends when no byte comes for the time-out or the whole answer has not come in twice
// that time (an answer that trickles in never idles); every refusal or failure
// reports `failed`.
class AvatarImageLoader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AvatarImageLoader)

public:
    static constexpr qint64 kDefaultMaxBytes = 2 * 1024 * 1024;
    static constexpr std::chrono::milliseconds kDefaultTimeout{std::chrono::seconds(15)};

    explicit AvatarImageLoader(QObject *parent = nullptr);
    ~AvatarImageLoader() override;

    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // The address the loader would fetch, or nothing when it is not one to fetch.
    static std::optional<QUrl> fetchableUrl(const QString &address);

    // Starts a fetch, replacing any running one. Refused addresses fail at once.
    void load(const QString &address);
    bool isLoading() const { return m_reply != nullptr; }

Q_SIGNALS:
    void loaded(const QImage &image);
    void failed(const QString &reason);

private:
    void finish();
    void abandon(const QString &reason);

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_data;
    qint64 m_maxBytes = kDefaultMaxBytes;
    std::chrono::milliseconds m_timeout = kDefaultTimeout;
    QTimer m_deadline;
};

// The avatar drawn into `circle`: the image filling it when there is one, else the
// name's colour with its first character. Rows of long lists paint avatars with this.
void paintUserAvatar(QPainter &painter, const QRectF &circle, const QString &username, const QImage &image);

// A marketplace user's round picture: the avatar image when it loads, else a
// coloured circle with the name's first character.
class UserAvatarView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UserAvatarView)

public:
    UserAvatarView(QString username, std::optional<QString> avatarURL, int size, QWidget *parent = nullptr);

    const QString &username() const { return m_username; }
    bool showsImage() const { return !m_image.isNull(); }
    AvatarImageLoader &loader() { return m_loader; }

    QSize sizeHint() const override { return QSize(m_size, m_size); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_username;
    int m_size;
    QImage m_image;
    AvatarImageLoader m_loader;
};

} // namespace quill
