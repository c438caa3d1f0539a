// The properties panel and its editors on a designer state: which form shows, writes by
// element id, the variable list, pickers, colours, the image file, locale number fields
// and the values they refuse.
#include "designer/label_designer_state.h"
#include "designer_fixtures.h"
#include "shown_text.h"
#include "test_pictures.h"
#include "ui/designer/common_properties_view.h"
#include "ui/designer/image_properties_view.h"
#include "ui/designer/labeled_field.h"
#include "ui/designer/locale_number_field.h"
#include "ui/designer/properties_panel.h"
#include "ui/designer/qr_code_properties_view.h"
#include "ui/designer/template_properties_view.h"
#include "ui/designer/text_properties_view.h"
#include "ui/designer/variable_list_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace quill;
using namespace quill::testing;

namespace {

// Types `text` into a number field and commits it with Return.
void enter(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

LabelElement qrElement()
{
    return LabelElement{QUuid::createUuid(),
                        QRCodeProperties{QStringLiteral("https://example.com")},
                        ElementFrame{10, 10, 60, 60},
                        0,
                        false,
                        0};
}

LabelElement imageElement()
{
    return LabelElement{QUuid::createUuid(), ImageProperties{}, ElementFrame{10, 10, 60, 60}, 0, false, 0};
}

class Editors : public ::testing::Test
{
protected:
    void build(LabelTemplate t)
    {
        m_state = std::make_unique<LabelDesignerState>(std::move(t));
        m_panel = std::make_unique<PropertiesPanel>(*m_state, [this](QWidget *) { return m_pickedFile; });
        m_panel->show();
    }
    const LabelElement &element(int index) const { return m_state->labelTemplate().elements.at(index); }

    std::unique_ptr<LabelDesignerState> m_state;
    std::unique_ptr<PropertiesPanel> m_panel;
    std::optional<QString> m_pickedFile;
};

} // namespace

TEST_F(Editors, TheFormFollowsTheSelectionAndAStaleIdShowsTheTemplate)
{
    LabelTemplate t = blankTemplate();
    t.elements = {textElement(), imageElement(), qrElement()};
    build(t);
    EXPECT_NE(m_panel->editor<TemplatePropertiesView>(), nullptr);
    m_state->setSelectedElementId(QUuid::createUuid());
    EXPECT_NE(m_panel->editor<TemplatePropertiesView>(), nullptr);
    m_state->setSelectedElementId(t.elements.at(0).id);
    EXPECT_NE(m_panel->editor<TextPropertiesView>(), nullptr);
    EXPECT_NE(m_panel->editor<CommonPropertiesView>(), nullptr);
    m_state->setSelectedElementId(t.elements.at(1).id);
    EXPECT_NE(m_panel->editor<ImagePropertiesView>(), nullptr);
    m_state->setSelectedElementId(t.elements.at(2).id);
    EXPECT_NE(m_panel->editor<QRCodePropertiesView>(), nullptr);
    EXPECT_EQ(m_panel->editor<TextPropertiesView>(), nullptr);
}

TEST_F(Editors, OfTwoElementsWithOneIdTheFirstIsEditedWithoutAnUndoStep)
{
    LabelTemplate t = blankTemplate();
    LabelElement twin = textElement(5, 5);
    t.elements = {twin, twin};
    build(t);
    m_state->setSelectedElementId(twin.id);
    enter(m_panel->editor<CommonPropertiesView>()->xField(), QStringLiteral("17.25"));
    EXPECT_EQ(element(0).frame.x, 17.25);
    EXPECT_EQ(element(1).frame.x, 5);
    EXPECT_TRUE(m_state->undoStack().isEmpty());
}

TEST_F(Editors, VariablesAppendAndTheToggleKeepsTheContent)
{
    LabelTemplate t = blankTemplate();
    t.elements = {qrElement(), textElement()};
    std::get<TextProperties>(t.elements[1].kind).content.clear();
    build(t);

    m_state->setSelectedElementId(t.elements.at(0).id);
    auto *qr = m_panel->editor<QRCodePropertiesView>();
    EXPECT_TRUE(qr->variableList()->isHidden());
    qr->variableToggle()->click();
    EXPECT_FALSE(qr->variableList()->isHidden());
    qr->variableList()->row(QStringLiteral("price"))->click();
    qr->variableList()->row(QStringLiteral("price"))->click();
    const QString withTokens = QStringLiteral("https://example.com{{price}}{{price}}");
    EXPECT_EQ(std::get<QRCodeProperties>(element(0).kind).content, withTokens);
    EXPECT_EQ(qr->contentField()->text(), withTokens);
    qr->variableToggle()->click();
    EXPECT_TRUE(qr->variableList()->isHidden());
    EXPECT_EQ(std::get<QRCodeProperties>(element(0).kind).content, withTokens);
    EXPECT_FALSE(std::get<QRCodeProperties>(element(0).kind).isVariable);

    m_state->setSelectedElementId(t.elements.at(1).id);
    auto *text = m_panel->editor<TextPropertiesView>();
    text->variableToggle()->click();
    text->variableList()->row(QStringLiteral("username"))->click();
    EXPECT_EQ(std::get<TextProperties>(element(1).kind).content, QStringLiteral("{{username}}"));
}

TEST_F(Editors, PickersShowTheStoredChoices)
{
    build(blankTemplate());
    m_state->addQRCodeElement();
    ASSERT_NE(m_panel->editor<QRCodePropertiesView>(), nullptr);
    EXPECT_EQ(m_panel->editor<QRCodePropertiesView>()->correctionPicker()->currentText(),
              QStringLiteral("Medium"));

    LabelTemplate t = m_state->labelTemplate();
    LabelElement text = textElement();
    std::get<TextProperties>(text.kind).fontFamily = QStringLiteral("Comic Sans MS");
    t.elements.append(text);
    m_state->setLabelTemplate(t);
    m_state->setSelectedElementId(text.id);
    auto *editor = m_panel->editor<TextPropertiesView>();
    EXPECT_EQ(editor->fontPicker()->currentIndex(), -1);
    EXPECT_EQ(editor->fontPicker()->count(), 8);
    editor->fontPicker()->setCurrentIndex(2);
    Q_EMIT editor->fontPicker()->activated(2);
    EXPECT_EQ(std::get<TextProperties>(element(1).kind).fontFamily, QStringLiteral("Courier New"));
    EXPECT_EQ(editor->weightPicker()->itemText(3), QStringLiteral("Semibold"));
}

TEST_F(Editors, FieldCaptionsShowAsWrittenWhilePickerTitlesAreTranslated)
{
    // A language in which every looked-up text is bracketed.
    class Bracketing final : public QTranslator
    {
    public:
        bool isEmpty() const override { return false; }
        QString translate(const char *, const char *source, const char *, int) const override
        {
            return QLatin1Char('[') + QString::fromUtf8(source) + QLatin1Char(']');
        }
    };
    Bracketing language;
    QCoreApplication::installTranslator(&language);
    const auto captions = [this] {
        QStringList shown;
        for (const LabeledField *field : m_panel->findChildren<LabeledField *>())
            if (field->isVisible())
                shown.append(field->caption()->text());
        return shown;
    };

    LabelTemplate t = blankTemplate();
    const LabelElement text = textElement();
    t.elements.append(text);
    build(t);
    m_state->setSelectedElementId(text.id);
    const QStringList element = captions();
    m_state->setSelectedElementId(std::nullopt);
    const QStringList labelTemplate = captions();
    QCoreApplication::removeTranslator(&language);

    for (const QString &asWritten :
         {QStringLiteral("Size"), QStringLiteral("Rotation"), QStringLiteral("Z-Index")})
        EXPECT_TRUE(element.contains(asWritten)) << asWritten.toStdString();
    for (const QString &translated :
         {QStringLiteral("[Font]"), QStringLiteral("[Weight]"), QStringLiteral("[Alignment]")})
        EXPECT_TRUE(element.contains(translated)) << translated.toStdString();
    for (const QString &asWritten : {QStringLiteral("Name"), QStringLiteral("Width\""),
                                     QStringLiteral("Height\""), QStringLiteral("Grid Spacing (pts)")})
        EXPECT_TRUE(labelTemplate.contains(asWritten)) << asWritten.toStdString();
    EXPECT_TRUE(labelTemplate.contains(QStringLiteral("[Shape]")));
}

TEST(PickedColors, AreWrittenAsUpperCaseHexWithComponentsTruncated)
{
    const struct
    {
        QColor color;
        const char *expected;
    } cases[] = {
        {QColor(Qt::white), "#FFFFFF"},
        {QColor(Qt::black), "#000000"},
        {QColor::fromRgbF(0.5f, 0, 0), "#7F0000"},
        {QColor::fromRgbF(0.999f, 0.2f, 1.0f), "#FE33FF"},
        {QColor::fromHsvF(0, 0, 1, 0.2f), "#FFFFFF"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextPropertiesView::hexFromPickedColor(c.color), QString::fromLatin1(c.expected))
            << c.expected;
    EXPECT_FALSE(TextPropertiesView::hexFromPickedColor(QColor()));
    EXPECT_EQ(TextPropertiesView::shownColor(QStringLiteral(" #ff8800 \n")), QColor(0xFF, 0x88, 0x00));
    EXPECT_EQ(TextPropertiesView::shownColor(QStringLiteral("red")), QColor(Qt::black));
}

TEST_F(Editors, TheCheckMarkFollowsTheExactPresetSize)
{
    build(blankTemplate());
    auto *form = m_panel->editor<TemplatePropertiesView>();
    EXPECT_TRUE(form->presetChecked(0));
    EXPECT_FALSE(form->presetChecked(1));
    enter(form->widthField(), QStringLiteral("4"));
    enter(form->heightField(), QStringLiteral("6"));
    EXPECT_FALSE(form->presetChecked(0));
    EXPECT_TRUE(form->presetChecked(1));
    enter(form->widthField(), QStringLiteral("4.01"));
    EXPECT_FALSE(form->presetChecked(0));
    EXPECT_FALSE(form->presetChecked(1));
    form->presetButton(0)->click();
    EXPECT_EQ(m_state->labelTemplate().labelSize, (LabelSize{2.25, 1.25}));
    EXPECT_TRUE(m_state->undoStack().isEmpty());
}

TEST_F(Editors, OutOfLimitValuesAreRefusedAndTheStoredValueShowsAgain)
{
    LabelTemplate t = blankTemplate();
    t.elements = {textElement(12, 8)};
    build(t);
    auto *form = m_panel->editor<TemplatePropertiesView>();
    const struct
    {
        QLineEdit *field;
        const char *typed;
        const char *shown;
    } templateCases[] = {
        {form->widthField(), "0", "2.25"},       {form->widthField(), "-1", "2.25"},
        {form->widthField(), "nan", "2.25"},     {form->heightField(), "inf", "1.25"},
        {form->heightField(), "100000", "1.25"}, {form->gridSpacingField(), "0", "8"},
        {form->gridSpacingField(), "0.5", "8"},  {form->gridSpacingField(), "-4", "8"},
        {form->gridSpacingField(), "abc", "8"},
    };
    for (const auto &c : templateCases) {
        enter(c.field, QString::fromLatin1(c.typed));
        EXPECT_EQ(c.field->text(), QString::fromLatin1(c.shown)) << c.typed;
    }
    // A side no printer feeds is refused with the reason.
    QSignalSpy refusedEdits(m_state.get(), &LabelDesignerState::editRefused);
    for (const char *tiny : {"0.001", "0.2"}) {
        enter(form->widthField(), QString::fromLatin1(tiny));
        EXPECT_EQ(form->widthField()->text(), QStringLiteral("2.25")) << tiny;
    }
    ASSERT_EQ(refusedEdits.size(), 2);
    EXPECT_TRUE(refusedEdits.at(0).at(0).toString().startsWith(
        QStringLiteral("A label must be at least 0.25 inches")));
    enter(form->heightField(), QStringLiteral("0.25"));
    EXPECT_EQ(m_state->labelTemplate().labelSize, (LabelSize{2.25, 0.25}));
    enter(form->heightField(), QStringLiteral("1.25"));
    EXPECT_EQ(m_state->labelTemplate().labelSize, (LabelSize{2.25, 1.25}));
    EXPECT_EQ(m_state->labelTemplate().gridSpacing, 8);

    m_state->setSelectedElementId(t.elements.at(0).id);
    auto *common = m_panel->editor<CommonPropertiesView>();
    auto *text = m_panel->editor<TextPropertiesView>();
    const struct
    {
        QLineEdit *field;
        const char *typed;
        const char *shown;
    } elementCases[] = {
        {common->widthField(), "0", "100"},  {common->heightField(), "-3", "24"},
        {common->xField(), "x", "12"},       {common->rotationField(), "inf", "0"},
        {text->sizeField(), "0", "14"},      {text->sizeField(), "1001", "14"},
        {common->zIndexField(), "1.5", "0"},
    };
    for (const auto &c : elementCases) {
        enter(c.field, QString::fromLatin1(c.typed));
        EXPECT_EQ(c.field->text(), QString::fromLatin1(c.shown)) << c.typed;
    }
    EXPECT_EQ(element(0), t.elements.at(0));
}

TEST_F(Editors, NumberFieldsReadAndShowTheUsersLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    LabelTemplate t = blankTemplate();
    t.elements = {textElement(1, 2)};
    build(t);
    m_state->setSelectedElementId(t.elements.at(0).id);
    auto *common = m_panel->editor<CommonPropertiesView>();
    enter(common->xField(), QStringLiteral("12,5"));
    const double x = element(0).frame.x;
    const QString shown = common->xField()->text();
    enter(common->yField(), QStringLiteral("1234,75"));
    const double y = element(0).frame.y;
    // A group separator is no decimal point: German "0.004" is not 4 inches.
    m_state->setSelectedElementId(std::nullopt);
    auto *form = m_panel->editor<TemplatePropertiesView>();
    enter(form->widthField(), QStringLiteral("0.004"));
    const LabelSize size = m_state->labelTemplate().labelSize;
    const QString widthShown = form->widthField()->text();
    const std::optional<double> grouped =
        LocaleNumberField::parse(QStringLiteral("1.234,5"), LocaleNumberField::Kind::decimal);
    QLocale::setDefault(previous);
    EXPECT_EQ(x, 12.5);
    EXPECT_EQ(shown, QStringLiteral("12,5"));
    EXPECT_EQ(y, 1234.75);
    EXPECT_EQ(size, (LabelSize{2.25, 1.25}));
    EXPECT_EQ(widthShown, QStringLiteral("2,25"));
    EXPECT_FALSE(grouped.has_value());
}

TEST_F(Editors, AFieldBeingTypedInIsNotRefreshedUnderTheCursor)
{
    LabelTemplate t = blankTemplate();
    t.elements = {textElement(1, 2)};
    build(t);
    m_state->setSelectedElementId(t.elements.at(0).id);
    auto *common = m_panel->editor<CommonPropertiesView>();
    QApplication::setActiveWindow(m_panel.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_panel.get()));
    common->xField()->setFocus();
    ASSERT_TRUE(common->xField()->hasFocus());
    common->xField()->selectAll();
    QTest::keyClicks(common->xField(), QStringLiteral("7"));
    m_state->setSnapToGrid(false);
    m_state->setSnapToGuides(false);
    m_state->moveElement(t.elements.at(0).id, 30, 40);
    EXPECT_EQ(common->xField()->text(), QStringLiteral("7"));
    EXPECT_EQ(common->yField()->text(), QStringLiteral("40"));
    QTest::keyClick(common->xField(), Qt::Key_Return);
    EXPECT_EQ(element(0).frame.x, 7);
}

TEST_F(Editors, AWriteToAnElementThatIsGoneOrOfAnotherKindChangesNothing)
{
    LabelTemplate t = blankTemplate();
    t.elements = {qrElement(), textElement()};
    m_state = std::make_unique<LabelDesignerState>(t);
    CommonPropertiesView common(*m_state, t.elements.at(0).id);
    QRCodePropertiesView qr(*m_state, t.elements.at(0).id);
    common.show();
    qr.show();

    // The QR element's id now holds an image.
    LabelTemplate changed = t;
    changed.elements[0].kind = ImageProperties{};
    m_state->setLabelTemplate(changed);
    QTest::keyClicks(qr.contentField(), QStringLiteral("x"));
    qr.correctionPicker()->setCurrentIndex(3);
    Q_EMIT qr.correctionPicker()->activated(3);
    EXPECT_EQ(element(0).kind, ElementKind(ImageProperties{}));

    LabelTemplate removed = t;
    removed.elements.removeFirst();
    m_state->setLabelTemplate(removed);
    enter(common.xField(), QStringLiteral("99"));
    common.lockedToggle()->click();
    ASSERT_EQ(m_state->labelTemplate().elements.size(), 1);
    EXPECT_EQ(element(0), t.elements.at(1));
}

TEST_F(Editors, AnImageFileIsStoredByteForByteOrRefusedWithAMessage)
{
    LabelTemplate t = blankTemplate();
    t.elements = {imageElement()};
    build(t);
    m_state->setSelectedElementId(t.elements.at(0).id);
    auto *editor = m_panel->editor<ImagePropertiesView>();
    EXPECT_TRUE(editor->clearButton()->isHidden());
    EXPECT_TRUE(editor->preview()->isHidden());
    EXPECT_EQ(editor->chooseButton()->text(), QStringLiteral("Choose Image..."));

    QTemporaryDir dir;
    QImage tall(50, 400, QImage::Format_RGB32);
    tall.fill(Qt::darkGreen);
    const QString tallPath = dir.filePath(QStringLiteral("tall.png"));
    ASSERT_TRUE(tall.save(tallPath));
    QFile tallFile(tallPath);
    ASSERT_TRUE(tallFile.open(QIODevice::ReadOnly));
    const QByteArray tallBytes = tallFile.readAll();

    m_pickedFile = tallPath;
    editor->chooseButton()->click();
    EXPECT_EQ(std::get<ImageProperties>(element(0).kind).imageData, tallBytes);
    EXPECT_FALSE(editor->clearButton()->isHidden());
    ASSERT_FALSE(editor->preview()->isHidden());
    const QSizeF preview = editor->preview()->pixmap().deviceIndependentSize();
    EXPECT_LE(preview.height(), ImagePropertiesView::kMaxPreviewHeight + 0.5);
    EXPECT_NEAR(preview.width() / preview.height(), 50.0 / 400.0, 0.02);

    const QString large = dir.filePath(QStringLiteral("large.png"));
    QFile largeFile(large);
    ASSERT_TRUE(largeFile.open(QIODevice::WriteOnly));
    largeFile.write(QByteArray(ImagePropertiesView::kMaxImageBytes + 1, 'x'));
    largeFile.close();
    // An SVG named as a PNG, whose picture link names a local file.
    const QString svgPath = dir.filePath(QStringLiteral("svg.png"));
    QFile svgFile(svgPath);
    ASSERT_TRUE(svgFile.open(QIODevice::WriteOnly));
    svgFile.write(svgLinkingTo(tallPath, 50));
    svgFile.close();
    const struct
    {
        QString path;
        const char *message;
    } refused[] = {{large, "larger than 1 MB"},
                   {dir.filePath(QStringLiteral("missing.png")), "Could not read"},
                   {svgPath, "svg.png cannot be used: The file is not a PNG, JPEG, TIFF or HEIC picture."}};
    for (const auto &c : refused) {
        m_pickedFile = c.path;
        editor->chooseButton()->click();
        EXPECT_EQ(std::get<ImageProperties>(element(0).kind).imageData, tallBytes);
        EXPECT_FALSE(editor->messageLabel()->isHidden());
        EXPECT_TRUE(editor->messageLabel()->text().contains(QLatin1String(c.message)))
            << editor->messageLabel()->text().toStdString();
    }
    m_pickedFile.reset();
    editor->chooseButton()->click();
    EXPECT_EQ(std::get<ImageProperties>(element(0).kind).imageData, tallBytes);

    editor->fitPicker()->setCurrentIndex(1);
    Q_EMIT editor->fitPicker()->activated(1);
    editor->clearButton()->click();
    EXPECT_FALSE(std::get<ImageProperties>(element(0).kind).imageData);
    EXPECT_EQ(std::get<ImageProperties>(element(0).kind).objectFit, ObjectFitValue::cover);
    EXPECT_TRUE(editor->clearButton()->isHidden());
    EXPECT_TRUE(editor->preview()->isHidden());
}

TEST_F(Editors, APictureFileNameHoldingMarkupIsNamedAsWritten)
{
    LabelTemplate t = blankTemplate();
    t.elements = {imageElement()};
    build(t);
    m_state->setSelectedElementId(t.elements.at(0).id);
    auto *editor = m_panel->editor<ImagePropertiesView>();
    QTemporaryDir dir;
    const QString name = QStringLiteral("<img src=x.png width=900><u>Jars & lids.png");
    m_pickedFile = dir.filePath(name);
    editor->chooseButton()->click();
    ASSERT_FALSE(editor->messageLabel()->isHidden());
    EXPECT_TRUE(shownText(*editor->messageLabel()).startsWith(QStringLiteral("Could not read ") + name + ':'))
        << shownText(*editor->messageLabel()).toStdString();
}
