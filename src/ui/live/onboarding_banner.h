#pragma once

#include <QMargins>
#include <QPointer>
#include <QWidget>

class QLabel;
class QToolButton;

namespace quill {

class Card;
class LiveShowView;
class OnboardingController;

// The "Getting Started" card above the sign-in prompt and the connect screen: the
// count of first steps done, a progress bar, the next step and a close button.
// Nothing shows while the checklist is dismissed or every step is done; the
// widget itself stays in place so it learns when its page comes on screen.
class OnboardingBanner final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OnboardingBanner)

public:
    // The card's coming and going, and the dismissal.
    static constexpr int kCardMotionMs = 200;

    // `padding` surrounds the card while it shows; without the card the banner takes no room.
    explicit OnboardingBanner(OnboardingController &controller, QMargins padding = {},
                              QWidget *parent = nullptr);
    ~OnboardingBanner() override;

    // One checklist for the screen, shown in both of its banner places.
    static OnboardingController &install(LiveShowView &view);

    Card *card() const { return m_card; }
    QToolButton *dismissButton() const { return m_dismiss; }
    QLabel *countLabel() const { return m_count; }
    QLabel *nextTitleLabel() const { return m_nextTitle; }
    QLabel *nextSubtitleLabel() const { return m_nextSubtitle; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    QPointer<OnboardingController> m_controller;
    QMargins m_padding;
    bool m_onScreen = false;
    Card *m_card = nullptr;
    QLabel *m_count = nullptr;
    QWidget *m_progress = nullptr;
    QWidget *m_badge = nullptr;
    QLabel *m_nextTitle = nullptr;
    QLabel *m_nextSubtitle = nullptr;
    QToolButton *m_dismiss = nullptr;
};

} // namespace quill
