#pragma once

#include "printing/label_appearance.h"
#include "printing/label_media.h"
#include "printing/layouts/any_label_view.h"
#include "printing/orientation.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace quill {

// What the Labels screen hands its cards. The cards hold no printing logic: every
// print, calibration and preview goes through these.

// Prints one sample label: style, printer queue, medium, orientation.
using LabelPrintAction = std::function<QCoro::Task<>(LabelVariant, QString, LabelMedia, Orientation)>;
// Prints one calibration label: printer queue, medium, orientation.
using CalibrationAction = std::function<QCoro::Task<>(QString, LabelMedia, Orientation)>;
// The pages of a preview, each sized for the given scale (points per printed point).
using PageBuilder = std::function<QList<AnyLabelView>(double)>;
// Pages of a label type for a style, medium, orientation and scale.
using PageGenerator = std::function<QList<AnyLabelView>(LabelVariant, LabelMedia, Orientation, double)>;
// A print started from a preview; empty when the preview offers none.
using PreviewPrintAction = std::function<QCoro::Task<>()>;
// Opens the preview sheet with pages, medium, orientation and an optional print.
using PreviewOpener = std::function<void(PageBuilder, LabelMedia, Orientation, PreviewPrintAction)>;

// The pages a builder gives, or none when the medium cannot be laid out: a preview
// then stays empty instead of taking the screen down.
QList<AnyLabelView> pagesOrNone(const PageBuilder &builder, double scale);

// Runs one print of a card by itself. `start` runs once the click has been handled
// and gives the print to await, built from the settings at that moment (or nothing
// to print); `finished` runs after it, also after a failure, but only while `guard`
// exists: a card that is gone is never touched, and its print is not cancelled.
void runCardPrint(QObject *guard, std::function<PreviewPrintAction()> start, std::function<void()> finished);

} // namespace quill
