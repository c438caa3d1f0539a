#include "ui/labels/label_settings_model.h"

#include "printing/custom_media_store.h"

namespace quill {

LabelSettingsModel::LabelSettingsModel(QObject *parent)
    : QObject(parent), m_states{LabelSectionState::defaults(0), LabelSectionState::defaults(1),
                                LabelSectionState::defaults(2)},
      m_fallbacks{LabelMedia::rect1x2(), LabelMedia::rect1x2(), LabelMedia::letter()}
{
}

void LabelSettingsModel::setState(LabelKind kind, const LabelSectionState &state)
{
    LabelSectionState &current = m_states.at(index(kind));
    if (current == state)
        return;
    current = state;
    notify(kind);
}

void LabelSettingsModel::update(LabelKind kind, const std::function<void(LabelSectionState &)> &change)
{
    LabelSectionState next = state(kind);
    change(next);
    setState(kind, next);
}

void LabelSettingsModel::setUseSeparateBoxPrinter(bool separate)
{
    if (m_useSeparateBoxPrinter == separate)
        return;
    m_useSeparateBoxPrinter = separate;
    Q_EMIT useSeparateBoxPrinterChanged(separate);
}

void LabelSettingsModel::setFallbackMedium(LabelKind kind, const LabelMedia &media)
{
    m_fallbacks.at(index(kind)) = media;
}

void LabelSettingsModel::forgetMedium(const QString &mediaId)
{
    for (const LabelKind kind : {LabelKind::winner, LabelKind::box, LabelKind::packingSlip}) {
        if (state(kind).selectedMedia.id == mediaId)
            update(kind, [&](LabelSectionState &s) { s.selectedMedia = fallbackMedium(kind); });
    }
}

std::optional<QString> LabelSettingsModel::deleteCustomMedium(CustomMediaStore &store,
                                                              const LabelMedia &media)
{
    const std::optional<QString> failure = store.remove(media.id);
    forgetMedium(media.id);
    return failure;
}

void LabelSettingsModel::notify(LabelKind kind)
{
    switch (kind) {
    case LabelKind::winner:
        Q_EMIT winnerChanged();
        break;
    case LabelKind::box:
        Q_EMIT boxChanged();
        break;
    case LabelKind::packingSlip:
        Q_EMIT packingSlipChanged();
        break;
    }
}

} // namespace quill
