#pragma once

#include "printing/label_media.h"
#include "printing/label_section_state.h"

#include <QObject>
#include <array>
#include <functional>

namespace quill {

class CustomMediaStore;

// The label types as the stored keys number them.
enum class LabelKind
{
    winner = 0,
    box = 1,
    packingSlip = 2
};

// The print settings the label cards edit: one LabelSectionState per label type and
// whether box labels have settings of their own. The Labels screen owns one, loads
// and saves it; the cards read and write only through it. Storing an equal value
// notifies nobody.
class LabelSettingsModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelSettingsModel)

public:
    explicit LabelSettingsModel(QObject *parent = nullptr);

    const LabelSectionState &state(LabelKind kind) const { return m_states.at(index(kind)); }
    const LabelSectionState &winner() const { return state(LabelKind::winner); }
    const LabelSectionState &box() const { return state(LabelKind::box); }
    const LabelSectionState &packingSlip() const { return state(LabelKind::packingSlip); }
    void setState(LabelKind kind, const LabelSectionState &state);
    // Changes one label type's settings in place, notifying once if anything changed.
    void update(LabelKind kind, const std::function<void(LabelSectionState &)> &change);

    bool useSeparateBoxPrinter() const { return m_useSeparateBoxPrinter; }
    void setUseSeparateBoxPrinter(bool separate);

    // The medium a label type falls back to when its medium is deleted: "1x2" for
    // winner and box labels, "letter" for packing slips unless their card offers others.
    LabelMedia fallbackMedium(LabelKind kind) const { return m_fallbacks.at(index(kind)); }
    void setFallbackMedium(LabelKind kind, const LabelMedia &media);
    // Every label type printing on a medium with this id goes back to its fallback, so
    // no label keeps printing on a size that no longer exists.
    void forgetMedium(const QString &mediaId);
    // Removes the seller's medium from the store (every entry with its id) and then
    // forgets it. Returns why the store could not be saved, if it could not.
    std::optional<QString> deleteCustomMedium(CustomMediaStore &store, const LabelMedia &media);

Q_SIGNALS:
    void winnerChanged();
    void boxChanged();
    void packingSlipChanged();
    void useSeparateBoxPrinterChanged(bool separate);

private:
    static size_t index(LabelKind kind) { return size_t(kind); }
    void notify(LabelKind kind);

    std::array<LabelSectionState, 3> m_states;
    std::array<LabelMedia, 3> m_fallbacks;
    bool m_useSeparateBoxPrinter = false;
};

} // namespace quill
