#include "printing/layouts/any_label_view.h"

namespace quill {

QSizeF AnyLabelView::size() const
{
    return std::visit([](const auto &view) { return view.size(); }, m_view);
}

labelkit::LabelLayout AnyLabelView::layout() const
{
    return std::visit([](const auto &view) { return view.layout(); }, m_view);
}

void AnyLabelView::paint(QPainter &painter) const
{
    layout().paint(painter);
}

QImage AnyLabelView::toImage(qreal dotsPerInch) const
{
    return layout().toImage(dotsPerInch);
}

} // namespace quill
