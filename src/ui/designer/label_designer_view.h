#pragma once

#include "ui/designer/image_properties_view.h"
#include "ui/designer/label_designer_controller.h"

#include <QWidget>

class QLabel;
class QStackedWidget;

namespace quill {

class CanvasContainer;
class PrintKitAdapter;
class PrintService;
class PropertiesPanel;
class TemplateListPanel;

struct LabelDesignerOptions
{
    int saveIntervalMs = LabelDesignerController::kSaveIntervalMs;
    // Empty: the platform's open panel.
    ImageFilePicker pickImageFile;
};

// The label designer screen: the template list on the left and, once a template is
// open, the canvas column and the properties panel; until then an empty state.
class LabelDesignerView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelDesignerView)

public:
    LabelDesignerView(TemplateStore &store, PrintKitAdapter &adapter, PrintService &service,
                      LabelDesignerOptions options = {}, QWidget *parent = nullptr);
    ~LabelDesignerView() override;

    LabelDesignerController &controller() { return m_controller; }
    TemplateListPanel *templateList() const { return m_templateList; }
    // Null while no template is open.
    CanvasContainer *canvasContainer() const { return m_canvasContainer; }
    PropertiesPanel *propertiesPanel() const { return m_propertiesPanel; }
    QWidget *emptyState() const { return m_emptyState; }
    QLabel *saveErrorLabel() const { return m_saveError; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showDesignerState();
    void showSaveError();

    LabelDesignerController m_controller;
    PrintKitAdapter &m_adapter;
    PrintService &m_service;
    ImageFilePicker m_pickImageFile;
    TemplateListPanel *m_templateList;
    QStackedWidget *m_right;
    QWidget *m_emptyState;
    QWidget *m_editor = nullptr;
    CanvasContainer *m_canvasContainer = nullptr;
    PropertiesPanel *m_propertiesPanel = nullptr;
    QLabel *m_saveError;
};

} // namespace quill
