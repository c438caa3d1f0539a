#pragma once

#include "held_runner.h"
#include "named_printers.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "run_sync.h"
#include "temporary_settings.h"

#include <QStringList>
#include <memory>

namespace quill::testing {

// A print adapter on a fake printer list and held CUPS tools, and a print service over
// it, for the designer's toolbars and window.
struct PrintServicesFixture
{
    PrintServicesFixture()
        : catalog(std::make_shared<NamedPrinters>()),
          calibration(std::make_unique<PrinterCalibrationStore>(*settings)),
          appearance(std::make_unique<LabelAppearanceStore>(*settings, QString()))
    {
        PrintKitAdapterSetup setup;
        setup.runner = &runner;
        setup.catalog = catalog;
        setup.calibration = calibration.get();
        adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
        service = std::make_unique<PrintService>(*adapter, *appearance);
    }
    void listPrinters(const QStringList &names)
    {
        catalog->names = names;
        runSync(adapter->refreshPrinters());
    }

    TemporarySettings settings;
    HeldRunner runner;
    std::shared_ptr<NamedPrinters> catalog;
    std::unique_ptr<PrinterCalibrationStore> calibration;
    std::unique_ptr<LabelAppearanceStore> appearance;
    std::unique_ptr<PrintKitAdapter> adapter;
    std::unique_ptr<PrintService> service;
};

} // namespace quill::testing
