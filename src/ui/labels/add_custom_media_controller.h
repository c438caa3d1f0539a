#pragma once

#include "printing/label_appearance.h"
#include "printing/label_content.h"
#include "printing/label_media.h"
#include "printing/orientation.h"

#include <QObject>

namespace quill {

// The logic of the custom label size sheet: a rectangle or a circle typed in inches
// or millimetres, its automatic name, the medium it makes and the sample preview.
// Touches no widget and stores nothing: save() hands the medium to the opener.
class AddCustomMediaController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddCustomMediaController)

public:
    enum class PreviewType
    {
        winner,
        box,
        packingSlip
    };
    static QString rawValue(PreviewType type);
    static constexpr double kMillimetresPerInch = 25.4;

    explicit AddCustomMediaController(QObject *parent = nullptr);

    bool isCircular() const { return m_isCircular; }
    bool useMetric() const { return m_useMetric; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    double diameter() const { return m_diameter; }
    const QString &name() const { return m_name; }
    Orientation orientation() const { return m_orientation; }
    PreviewType previewType() const { return m_previewType; }

    void setCircular(bool circular);
    // Converts the three typed values to the new unit.
    void setUseMetric(bool metric);
    // Values in the current unit; a value that is not a number makes the size invalid.
    void setWidth(double value);
    void setHeight(double value);
    void setDiameter(double value);
    void setName(const QString &name);
    void setOrientation(Orientation orientation);
    void toggleOrientation();
    void setPreviewType(PreviewType type);

    // Every side a number, at least LabelMedia::kMinInches and at most kMaxInches.
    bool isValid() const;
    // Why typed numbers make no label size ("Each side must be at least 0.25 in.");
    // none when they do or when a side is not a number yet.
    std::optional<QString> sizeProblem() const;
    // "3\"x2\"", "76x51mm", "2.5\" Circle", "64mm Circle".
    QString autoName() const;
    // The typed size in inches, id "preview", no name.
    LabelMedia previewMedia() const;
    // Landscape for a circle, else the chosen orientation.
    Orientation effectiveOrientation() const;
    // The preview fits 180 × 240 points, at most twice the print size.
    double previewScale() const;
    LabelContent sampleContent() const;
    // The first page of the sample as it prints on the typed size; none when the
    // size is invalid.
    std::optional<AnyLabelView> previewPage(const LabelAppearance &appearance) const;

    // The new medium: a fresh id each time, the typed size in inches, the typed name
    // as it is or else the automatic one.
    LabelMedia save() const;

Q_SIGNALS:
    void changed();

private:
    template <typename T> void assign(T &field, const T &value);

    bool m_isCircular = false;
    bool m_useMetric = false;
    double m_width = 3.0;
    double m_height = 2.0;
    double m_diameter = 2.5;
    QString m_name;
    Orientation m_orientation = Orientation::landscape;
    PreviewType m_previewType = PreviewType::winner;
};

} // namespace quill
