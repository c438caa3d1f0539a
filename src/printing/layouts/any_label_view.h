#pragma once

#include "printing/layouts/box_label_view.h"
#include "printing/layouts/calibration_label_view.h"
#include "printing/layouts/grouped_label_view.h"
#include "printing/layouts/individual_label_view.h"

#include <QImage>
#include <QSizeF>
#include <variant>

class QPainter;

namespace quill {

// Any one label page, whatever its layout: what page builders hand to the bitmap
// pipeline and to previews.
class AnyLabelView final
{
public:
    using View = std::variant<IndividualLabelView, BoxLabelView, GroupedLabelView, CalibrationLabelView>;

    AnyLabelView(IndividualLabelView view) : m_view(std::move(view)) {}
    AnyLabelView(BoxLabelView view) : m_view(std::move(view)) {}
    AnyLabelView(GroupedLabelView view) : m_view(std::move(view)) {}
    AnyLabelView(CalibrationLabelView view) : m_view(std::move(view)) {}

    QSizeF size() const;
    labelkit::LabelLayout layout() const;
    void paint(QPainter &painter) const;
    // The page at this resolution, transparent outside a round label.
    QImage toImage(qreal dotsPerInch) const;

    const View &view() const { return m_view; }
    template <typename T> const T *as() const { return std::get_if<T>(&m_view); }

private:
    View m_view;
};

} // namespace quill
