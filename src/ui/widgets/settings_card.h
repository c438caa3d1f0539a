#pragma once

#include "ui/widgets/card.h"

class QLabel;
class QVBoxLayout;

namespace quill {

// A settings card of the Labels screen: a vertical stack, spacing 12, on the card
// fill with corner radius 12, outlined faintly, or in orange for staff-only cards.
// Its title block is "title" in the headline font over a caption subtitle.
class SettingsCard : public Card
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsCard)

public:
    enum class Kind
    {
        regular,
        staff
    };

    SettingsCard(const QString &title, const QString &subtitle, Kind kind = Kind::regular,
                 QWidget *parent = nullptr);

    QVBoxLayout *body() const { return m_body; }
    QLabel *titleLabel() const { return m_title; }
    QLabel *subtitleLabel() const { return m_subtitle; }
    Kind kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind m_kind;
    QVBoxLayout *m_body;
    QLabel *m_title;
    QLabel *m_subtitle;
};

} // namespace quill
