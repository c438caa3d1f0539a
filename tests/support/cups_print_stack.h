#pragma once

// The print stack the Cups* suites print through, on the private scheduler that the
// `cups` CTest fixture starts: the printer calibration and label appearance stores over
// the suite's settings, the print kit adapter reading the scheduler's PPD folder, and
// the print service over them.

#include "common/settings.h"
#include "cups_testbed.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "printkit/transport/cups_print_transport.h"

#include <QString>

#include <memory>
#include <optional>

namespace quill::testing::cups {

// Mixed into a suite's fixture beside ::testing::Test (or a fixture of its own): the
// suite's SetUp calls startPrintStack and its TearDown stopPrintStack. Every test
// queue is put back to enabled, accepting and empty before the stack starts and after
// it stops, so no job of one test reaches the next.
class CupsPrintStack
{
protected:
    // `colorMode`, when given, is set on the appearance store before anything prints.
    void startPrintStack(Settings &settings, std::optional<LabelColorMode> colorMode = std::nullopt)
    {
        resetQueues();
        m_calibration = std::make_unique<PrinterCalibrationStore>(settings);
        m_appearance = std::make_unique<LabelAppearanceStore>(settings, QString());
        if (colorMode)
            m_appearance->setColorMode(*colorMode);
        PrintKitAdapterSetup setup;
        setup.tools.ppdDirectory = ppdDirectory();
        setup.calibration = m_calibration.get();
        m_adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
        m_adapter->cupsTransport().setDebugCopyFolder(QString());
        m_service = std::make_unique<PrintService>(*m_adapter, *m_appearance);
    }

    // Ends the stack while the suite's settings still live: the stores hold on to them.
    void stopPrintStack()
    {
        m_service.reset();
        m_adapter.reset();
        m_appearance.reset();
        m_calibration.reset();
        resetQueues();
    }

    std::unique_ptr<PrinterCalibrationStore> m_calibration;
    std::unique_ptr<LabelAppearanceStore> m_appearance;
    std::unique_ptr<PrintKitAdapter> m_adapter;
    std::unique_ptr<PrintService> m_service;
};

} // namespace quill::testing::cups
