#pragma once

#include "designer/label_designer_state.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace quill {

class TemplateStore;

// The designer screen's logic: the template open for editing and its saving. The open
// template is saved every few seconds while the screen is shown, when it is hidden,
// before another is opened, when the application quits and when the screen goes.
// A template deleted from the store is closed unsaved, so no save brings its file back.
class LabelDesignerController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelDesignerController)

public:
    static constexpr int kSaveIntervalMs = 5000;

    explicit LabelDesignerController(TemplateStore &store, int saveIntervalMs = kSaveIntervalMs,
                                     QObject *parent = nullptr);
    ~LabelDesignerController() override;

    TemplateStore &store() const { return m_store; }
    // The open template's state; null while none is open.
    LabelDesignerState *designerState() const { return m_state.get(); }
    const QTimer &saveTimer() const { return m_saveTimer; }
    // "Could not save <name>: <reason>" after a failed save, until one succeeds.
    const QString &saveError() const { return m_saveError; }
    // "Could not delete <name>: <reason>" after a delete that left a file behind, or why
    // an edit of the open template was refused; until a delete or an edit succeeds or the
    // templates are read again.
    const QString &notice() const { return m_notice; }

    // The screen was shown: the templates are read again and the periodic save runs.
    void appear();
    // The screen was hidden: the open template is saved and the periodic save stops.
    void disappear();

    void saveCurrentTemplate();
    // Saves the open template, then opens a copy of `labelTemplate` at zoom 1 with
    // nothing selected and nothing to undo.
    void openTemplate(const LabelTemplate &labelTemplate);

Q_SIGNALS:
    // After the open state was replaced or closed; the old one is still alive during the
    // signal, so views built on it can go first.
    void designerStateChanged();
    // Either message changed.
    void saveErrorChanged();

private:
    void closeDeleted(const QUuid &id);
    void setSaveError(const QString &message);
    void setNotice(const QString &message);

    TemplateStore &m_store;
    std::unique_ptr<LabelDesignerState> m_state;
    QTimer m_saveTimer;
    QString m_saveError;
    QString m_notice;
    bool m_saving = false;
    std::optional<QString> m_failure;
};

} // namespace quill
