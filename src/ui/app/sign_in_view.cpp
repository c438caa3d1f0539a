#include "ui/app/sign_in_view.h"

#include "ui/widgets/metrics.h"
#include "ui/widgets/palette.h"
#include "ui/widgets/style.h"
#include "ui/widgets/symbols.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quill {

namespace {

constexpr int kButtonWidth = 280;
constexpr int kLargeControlHeight = 34;

QLabel *centredLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
{
    QLabel *label = styledLabel(text, font, color, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *signInButton(const QString &symbol, const QString &text, bool prominent, QWidget *parent)
{
    // The prominent button is tinted with the primary label colour: a light fill with dark words.
    auto *button = new QPushButton(symbolIcon(symbol, prominent ? appBackgroundColor() : primaryTextColor()),
                                   text, parent);
    button->setObjectName(prominent ? QStringLiteral("prominent") : QStringLiteral("bordered"));
    button->setFixedSize(kButtonWidth, kLargeControlHeight);
    button->setIconSize(QSize(16, 16));
    button->setFont(textFont(TextStyle::body, QFont::Medium));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

SignInView::SignInView(AuthManager &auth, QWidget *parent)
    : QWidget(parent), m_controller(auth), m_buttons(new QWidget(this)),
      m_apple(signInButton(QStringLiteral("apple.logo"), QStringLiteral("Sign in with Apple"), true, m_buttons)),
      m_google(signInButton(QStringLiteral("globe"), QStringLiteral("Sign in with Google"), false, m_buttons)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)),
      m_error(centredLabel(QString(), textFont(TextStyle::caption), systemColor(SystemColor::red), this))
{
    fillBackground(this, appBackgroundColor());

    QColor dimmedTint = primaryTextColor();
    dimmedTint.setAlphaF(0.35f);
    setStyleSheet(QStringLiteral(
                      "QPushButton#prominent { background: %1; color: %5; border: none; border-radius: 7px; }"
                      "QPushButton#prominent:disabled { background: %2; color: %5; }"
                      "QPushButton#bordered { background: %3; border: 1px solid rgba(255,255,255,40);"
                      " border-radius: 7px; }"
                      "QPushButton#bordered:disabled { color: rgba(255,255,255,90); }"
                      "QPushButton#cancel { background: transparent; border: none; color: %4; }")
                      .arg(primaryTextColor().name(), dimmedTint.name(QColor::HexArgb), cardHighlightColor().name(),
                           secondaryTextColor().name(QColor::HexArgb), appBackgroundColor().name()));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(metrics::insets(metrics::huge));
    layout->setSpacing(0);
    layout->addStretch(1);

    auto *icon = new QLabel(this);
    icon->setPixmap(symbolPixmap(QStringLiteral("tag.fill"), 48, appAccentColor(), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    layout->addSpacing(metrics::regular);
    layout->addWidget(centredLabel(QStringLiteral("Quillmark"), textFont(TextStyle::largeTitle, QFont::Bold),
                            primaryTextColor(), this));
    layout->addSpacing(metrics::regular);
    layout->addWidget(centredLabel(QStringLiteral("Whatnot live show companion"), textFont(TextStyle::body),
                            secondaryTextColor(), this));
    layout->addSpacing(metrics::huge);

    auto *buttons = new QVBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(metrics::regular);
    buttons->addWidget(m_apple, 0, Qt::AlignHCenter);
    buttons->addWidget(m_google, 0, Qt::AlignHCenter);
    layout->addWidget(m_buttons, 0, Qt::AlignHCenter);

    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setFont(textFont(TextStyle::callout));
    m_cancel->setCursor(Qt::PointingHandCursor);
    layout->addSpacing(metrics::small);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);

    m_error->setObjectName(QStringLiteral("error"));
    m_error->setWordWrap(true);
    m_error->setFixedWidth(420);
    layout->addSpacing(metrics::small);
    layout->addWidget(m_error, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    connect(m_apple, &QPushButton::clicked, &m_controller, &SignInController::signInWithApple);
    connect(m_google, &QPushButton::clicked, &m_controller, &SignInController::signInWithGoogle);
    connect(m_cancel, &QPushButton::clicked, &m_controller, &SignInController::cancel);
    connect(&m_controller, &SignInController::changed, this, &SignInView::bind);
    bind();
}

void SignInView::bind()
{
    m_buttons->setEnabled(!m_controller.isSigningIn());
    // Kept in the layout while hidden so the screen does not jump when it comes and goes.
    QSizePolicy keep = m_cancel->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_cancel->setSizePolicy(keep);
    m_cancel->setVisible(m_controller.canCancel());
    const auto error = m_controller.error();
    m_error->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
}

} // namespace quill
