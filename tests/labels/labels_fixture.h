#pragma once

#include "eventually.h"
#include "gate.h"
#include "printing/custom_media_store.h"
#include "printing/label_appearance_store.h"
#include "printing/label_bitmap_pipeline.h"
#include "temporary_settings.h"
#include "ui/labels/label_card_types.h"
#include "ui/labels/label_settings_model.h"
#include "ui/labels/label_test_printer.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>

namespace quill::testing {

// One label the cards printed.
struct PrintCall
{
    std::optional<LabelVariant> style; // none for a calibration print
    QString printer;
    LabelMedia media;
    Orientation orientation = Orientation::landscape;
    std::optional<LabelKind> kind; // none for a calibration print
};

// Records the cards' prints; with `hold` set, each print waits at the gate.
class FakeTestPrinter final : public LabelTestPrinter
{
public:
    QCoro::Task<PrintResult> print(LabelTestPrint label) override
    {
        calls.append({label.kind ? std::optional<LabelVariant>(label.style) : std::nullopt, label.printer,
                      label.media, label.orientation, label.kind});
        ++running;
        if (hold)
            co_await gate.wait();
        --running;
        co_return PrintResult::succeeded();
    }

    // The calls of one kind, or those of every other kind and the calibrations.
    QList<PrintCall> callsOf(LabelKind kind) const
    {
        QList<PrintCall> out;
        for (const PrintCall &call : calls) {
            if (call.kind == kind)
                out.append(call);
        }
        return out;
    }
    QList<PrintCall> callsBut(LabelKind kind) const
    {
        QList<PrintCall> out;
        for (const PrintCall &call : calls) {
            if (call.kind != kind)
                out.append(call);
        }
        return out;
    }

    QList<PrintCall> calls;
    int running = 0;
    bool hold = false;
    Gate gate;
};

// Settings, the seller's sizes and the label appearance in a folder of their own.
class LabelCardsTest : public ::testing::Test
{
protected:
    TemporarySettings m_settings;
    CustomMediaStore m_media{*m_settings};
    LabelAppearanceStore m_appearance{*m_settings, m_settings.filePath(QStringLiteral("logo.png"))};
    LabelSettingsModel m_model;
    FakeTestPrinter m_prints;

    // The custom size sheet's prints: winner labels and calibrations on the fake printer.
    CustomMediaSheetPrints sheetPrints() { return {&m_prints, true, &m_model, LabelKind::winner}; }

    static LabelMedia customMedium(const QString &id, double w, double h, bool circular = false)
    {
        return {id, w, h, circular, QStringLiteral("Custom ") + id};
    }
};

// The widget drawn at print resolution (300/72 pixels per point) on white, through a
// painter scaled as the print bitmap's is.
inline QImage renderAtPrintResolution(QWidget &widget)
{
    const qreal ratio = kLabelDotsPerInch / 72.0;
    // As the print bitmap rounds: 432 points are 1800 pixels, not 1801.
    QImage image(
        QSize(int(std::ceil(widget.width() * ratio - 1e-6)), int(std::ceil(widget.height() * ratio - 1e-6))),
        QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(ratio, ratio);
    widget.render(&painter, {}, {}, QWidget::DrawChildren);
    painter.end();
    return image;
}

} // namespace quill::testing
