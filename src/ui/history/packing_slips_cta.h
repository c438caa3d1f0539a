#pragma once

#include <QWidget>

class QPushButton;

namespace quill {

// The invitation to print every packing slip of a finished show.
class PackingSlipsCTA final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PackingSlipsCTA)

public:
    PackingSlipsCTA(qint64 buyerCount, qint64 auctionCount, QWidget *parent = nullptr);

    QPushButton *printAllButton() const { return m_printAll; }

Q_SIGNALS:
    void printAllRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPushButton *m_printAll;
};

} // namespace quill
