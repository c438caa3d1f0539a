#pragma once

// The Labels and Settings screens' logic over the real print service and printer
// adapter, with CUPS tools that answer like a small scheduler and the stand-in
// backend over real HTTP.
#include "../autoprint/autoprint_fakes.h"
#include "backend/zav_api_client.h"
#include "common/user_scoped.h"
#include "gate.h"
#include "printing/label_appearance_store.h"
#include "printing/print_kit_adapter.h"
#include "printing/print_service.h"
#include "printing/printer_calibration_store.h"
#include "shell_fixture.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace quill::testing {

// Forwards to the fake scheduler; while `holdLp` is set, every lp waits for `gate`.
class GatedCups final : public ProcessRunner
{
public:
    explicit GatedCups(FakeCups &cups) : m_cups(cups) {}
    QCoro::Task<ProcessResult> run(ProcessRequest request) override
    {
        if (holdLp && request.program == FakeCups::lp) {
            ++waiting;
            co_await gate.wait();
            --waiting;
        }
        co_return co_await m_cups.run(std::move(request));
    }
    bool holdLp = false;
    int waiting = 0;
    Gate gate;

private:
    FakeCups &m_cups;
};

class LabelsFixture : public ShellFixture
{
protected:
    static inline const QString kQueue = QStringLiteral("TestLabel");
    static inline const QString kOther = QStringLiteral("Office_Printer_A1B2C3");
    static inline const QString kOnboardingPath = QStringLiteral("/api/onboarding/quillmark");

    void SetUp() override
    {
        ShellFixture::SetUp();
        QDir(m_home.path()).mkpath(QStringLiteral("ppd"));
        m_calibration = std::make_unique<PrinterCalibrationStore>(*m_settings);
        m_appearance = std::make_unique<LabelAppearanceStore>(*m_settings, m_home.filePath(QStringLiteral("logo.png")));
        PrintKitAdapterSetup setup;
        setup.runner = &m_runner;
        setup.tools = tools();
        setup.sleeper = &m_sleeper;
        setup.calibration = m_calibration.get();
        m_adapter = std::make_unique<PrintKitAdapter>(std::move(setup));
        m_service = std::make_unique<PrintService>(*m_adapter, *m_appearance);
        m_api = std::make_unique<ZavAPIClient>(m_backend.baseUrl());
        m_api->setBearerToken(m_backend.addUser(QStringLiteral("u1"), QStringLiteral("seller@example.com")));
    }

    void TearDown() override
    {
        m_runner.holdLp = false;
        m_runner.gate.open();
        eventually([&] { return m_api->requestsInFlight() == 0; });
        m_service.reset();
        m_adapter.reset();
        m_api.reset();
        ShellFixture::TearDown();
    }

    printkit::CUPSTools tools() const
    {
        printkit::CUPSTools tools;
        tools.lp = FakeCups::lp;
        tools.lpstat = FakeCups::lpstat;
        tools.cancel = FakeCups::cancel;
        tools.cupsenable = FakeCups::cupsenable;
        tools.ppdDirectory = m_home.filePath(QStringLiteral("ppd"));
        return tools;
    }

    // The application's services over the fake scheduler and the stand-in backend.
    AppSetup appSetup()
    {
        AppSetup app = setup();
        app.processRunner = &m_runner;
        app.cupsTools = tools();
        app.printerCatalog = nullptr;
        return app;
    }

    int onboardingPosts() const
    {
        int count = 0;
        for (const auto &request : m_backend.requests()) {
            if (request.method != QLatin1String("POST") || request.path != kOnboardingPath)
                continue;
            const QJsonObject body = QJsonDocument::fromJson(request.body).object();
            if (body.value(QStringLiteral("action")).toString() == QLatin1String("step_completed") &&
                body.value(QStringLiteral("metadata")).toObject().value(QStringLiteral("stepId")).toString() ==
                    QLatin1String("test_print"))
                ++count;
        }
        return count;
    }

    // A few turns of the event loop, for work that needs no more than that.
    static void turn() { quill::testing::settle(); }

    // Lets every answer that is on its way arrive.
    void drain()
    {
        eventually([&] { return m_api->requestsInFlight() == 0; });
        quill::testing::settle();
    }

    static QImage decoded(const Submission &submission)
    {
        QImage image;
        image.loadFromData(submission.file, "PNG");
        return image;
    }

    FakeCups m_cups{{kQueue, kOther}};
    GatedCups m_runner{m_cups};
    std::unique_ptr<PrinterCalibrationStore> m_calibration;
    std::unique_ptr<LabelAppearanceStore> m_appearance;
    std::unique_ptr<PrintKitAdapter> m_adapter;
    std::unique_ptr<PrintService> m_service;
    std::unique_ptr<ZavAPIClient> m_api;
};

} // namespace quill::testing
