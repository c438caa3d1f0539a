#include "ui/designer/label_designer_controller.h"

#include "designer/template_store.h"

#include <QCoreApplication>

namespace quill {

LabelDesignerController::LabelDesignerController(TemplateStore &store, int saveIntervalMs, QObject *parent)
    : QObject(parent), m_store(store)
{
    m_saveTimer.setInterval(saveIntervalMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &LabelDesignerController::saveCurrentTemplate);
    connect(&m_store, &TemplateStore::templateDeleted, this, [this](const QUuid &id) {
        setNotice(QString());
        closeDeleted(id);
    });
    connect(&m_store, &TemplateStore::deleteFailed, this,
            [this](const QString &name, const QString &message) {
                setNotice(tr("Could not delete %1: %2").arg(name, message));
            });
    connect(&m_store, &TemplateStore::saveFailed, this, [this](const QString &message) {
        if (m_saving)
            m_failure = message;
    });
    // Quitting may close the window without a hide reaching this screen.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &LabelDesignerController::saveCurrentTemplate);
}

LabelDesignerController::~LabelDesignerController()
{
    saveCurrentTemplate();
}

void LabelDesignerController::appear()
{
    setNotice(QString());
    m_store.loadTemplates();
    m_saveTimer.start();
}

void LabelDesignerController::disappear()
{
    m_saveTimer.stop();
    saveCurrentTemplate();
}

void LabelDesignerController::saveCurrentTemplate()
{
    if (!m_state)
        return;
    const LabelTemplate &labelTemplate = m_state->labelTemplate();
    // The store announces a failure only by its signal, emitted within save().
    m_saving = true;
    m_failure.reset();
    m_store.save(labelTemplate);
    m_saving = false;
    if (m_failure)
        setSaveError(tr("Could not save %1: %2").arg(labelTemplate.name, *m_failure));
    else
        setSaveError(QString());
}

void LabelDesignerController::openTemplate(const LabelTemplate &labelTemplate)
{
    saveCurrentTemplate();
    // Kept until the views built on it have been replaced.
    std::unique_ptr<LabelDesignerState> previous = std::move(m_state);
    m_state = std::make_unique<LabelDesignerState>(labelTemplate);
    connect(m_state.get(), &LabelDesignerState::editRefused, this, &LabelDesignerController::setNotice);
    connect(m_state.get(), &LabelDesignerState::templateChanged, this, [this] { setNotice(QString()); });
    Q_EMIT designerStateChanged();
}

void LabelDesignerController::closeDeleted(const QUuid &id)
{
    if (!m_state || m_state->labelTemplate().id != id)
        return;
    std::unique_ptr<LabelDesignerState> previous = std::move(m_state);
    setSaveError(QString());
    Q_EMIT designerStateChanged();
}

void LabelDesignerController::setNotice(const QString &message)
{
    if (m_notice == message)
        return;
    m_notice = message;
    Q_EMIT saveErrorChanged();
}

void LabelDesignerController::setSaveError(const QString &message)
{
    if (m_saveError == message)
        return;
    m_saveError = message;
    Q_EMIT saveErrorChanged();
}

} // namespace quill
