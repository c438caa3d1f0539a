// Label media, the custom media store and the calibration store over a private
// user-defaults file.
#include "common/settings.h"
#include "printing/custom_media_store.h"
#include "printing/label_media.h"
#include "printing/printer_calibration_store.h"
#include "temporary_settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quill;
using quill::testing::TemporarySettings;

namespace {

LabelMedia custom(QString id, double width, double height, std::optional<QString> name = std::nullopt,
                  bool circular = false)
{
    return {std::move(id), width, height, circular, std::move(name)};
}

class MediaSettings : public ::testing::Test
{
protected:
    void store(const QByteArray &json) { m_settings->setBytes(CustomMediaStore::key(), json); }
    QJsonArray stored() const
    {
        return QJsonDocument::fromJson(m_settings->bytesValue(CustomMediaStore::key())).array();
    }

    TemporarySettings m_settings;
};

} // namespace

TEST(OrientationTest, OnlyTheExactRawValuesConstructAnOrientation)
{
    EXPECT_EQ(orientationFromRawValue(QStringLiteral("Portrait")), Orientation::portrait);
    EXPECT_EQ(orientationFromRawValue(QStringLiteral("Landscape")), Orientation::landscape);
    EXPECT_EQ(orientationFromRawValue(QStringLiteral("portrait")), std::nullopt);
    EXPECT_EQ(orientationFromRawValue(QString()), std::nullopt);
}

TEST(LabelMediaTest, BuiltInTableAndDisplayNames)
{
    const QList<LabelMedia> &media = LabelMedia::builtIn();
    ASSERT_EQ(media.size(), 5);
    EXPECT_EQ(media.at(0).displayName(), QString::fromUtf8("2.25×1.25 Rectangle"));
    EXPECT_EQ(media.at(1), custom(QStringLiteral("1x2"), 2.0, 1.0, QString::fromUtf8("1×2 Rectangle")));
    EXPECT_EQ(media.at(2).displayName(), QStringLiteral("2\" Circle"));
    EXPECT_TRUE(media.at(2).isCircular);
    EXPECT_EQ(media.at(3).heightInches, 6.0);
    EXPECT_EQ(media.at(4).displayName(), QString::fromUtf8("Letter (8.5×11)"));
    for (const LabelMedia &m : media)
        EXPECT_FALSE(m.isCustom()) << m.id;

    // Unnamed media are shown by their size with two significant digits.
    EXPECT_EQ(custom(QStringLiteral("a"), 2.25, 1.25).displayName(), QString::fromUtf8("2.2×1.2"));
    EXPECT_EQ(custom(QStringLiteral("a"), 100, 3).displayName(), QString::fromUtf8("1e+02×3"));
    EXPECT_EQ(custom(QStringLiteral("a"), 1.5, 1.5, std::nullopt, true).displayName(), QStringLiteral("1.5\" Circle"));
    // A name of blanks would leave an empty picker row.
    EXPECT_EQ(custom(QStringLiteral("a"), 3, 2, QStringLiteral("  ")).displayName(), QString::fromUtf8("3×2"));
    EXPECT_EQ(custom(QStringLiteral("a"), 3, 2, QStringLiteral("Jars")).displayName(), QStringLiteral("Jars"));
}

TEST(LabelMediaTest, LabelSizeFollowsOrientationExceptForCircles)
{
    EXPECT_EQ(labelSizeInches(LabelMedia::rect1x2(), Orientation::landscape), QSizeF(2, 1));
    EXPECT_EQ(labelSizeInches(LabelMedia::rect1x2(), Orientation::portrait), QSizeF(1, 2));
    EXPECT_EQ(labelSizeInches(LabelMedia::shipping4x6(), Orientation::landscape), QSizeF(6, 4));
    EXPECT_EQ(labelSizeInches(LabelMedia::circle2(), Orientation::portrait), QSizeF(2, 2));
}

TEST(LabelMediaTest, UnprintableSizesAreNamed)
{
    EXPECT_EQ(LabelMedia::shipping4x6().invalidReason(), std::nullopt);
    EXPECT_EQ(custom(QStringLiteral("a"), 48, 48).invalidReason(), std::nullopt);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const LabelMedia &bad : {custom(QStringLiteral("a"), 0, 1), custom(QStringLiteral("a"), 2, -1),
                                  custom(QStringLiteral("a"), nan, 1), custom(QStringLiteral("a"), 1, inf),
                                  custom(QStringLiteral("a"), 48.01, 1), custom(QStringLiteral(" "), 2, 1)})
        EXPECT_TRUE(bad.invalidReason().has_value()) << bad.widthInches << "x" << bad.heightInches;
}

TEST_F(MediaSettings, FindPrefersBuiltInMediaOverCustomOnesWithTheSameId)
{
    CustomMediaStore store(*m_settings);
    store.add(custom(QStringLiteral("1x2"), 5, 5, QStringLiteral("Impostor")));
    store.add(custom(QStringLiteral("jar"), 3, 3, QStringLiteral("Jar lid"), true));

    EXPECT_EQ(LabelMedia::find(QStringLiteral("1x2"), store.items()), LabelMedia::rect1x2());
    EXPECT_FALSE(store.items().at(0).isCustom());
    EXPECT_EQ(LabelMedia::find(QStringLiteral("jar"), store.items())->name, QStringLiteral("Jar lid"));
    EXPECT_EQ(LabelMedia::find(QStringLiteral("nope"), store.items()), std::nullopt);
    // What a store keeps in the settings is what a section's settings find.
    EXPECT_EQ(CustomMediaStore::storedItems(*m_settings), store.items());
}

TEST_F(MediaSettings, StoreRoundTripsInOrderAndNotifies)
{
    CustomMediaStore store(*m_settings);
    QSignalSpy changed(&store, &CustomMediaStore::itemsChanged);
    store.add(custom(QStringLiteral("b"), 3, 2, QStringLiteral("Bags")));
    store.add(custom(QStringLiteral("a"), 1.5, 1.5, std::nullopt, true));
    store.add(custom(QStringLiteral("a"), 2, 2)); // duplicates are kept
    EXPECT_EQ(changed.count(), 3);

    CustomMediaStore reloaded(*m_settings);
    EXPECT_EQ(reloaded.items(), store.items());
    EXPECT_FALSE(stored().at(1).toObject().contains(QStringLiteral("name")));

    store.remove(QStringLiteral("a"));
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(CustomMediaStore(*m_settings).items().size(), 1);

    // Removing an unknown id still writes the (unchanged) list.
    m_settings->remove(CustomMediaStore::key());
    store.remove(QStringLiteral("zzz"));
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(stored().size(), 1);

    // Assigning notifies but does not save.
    store.setItems({});
    EXPECT_EQ(changed.count(), 5);
    EXPECT_EQ(stored().size(), 1);
}

TEST_F(MediaSettings, AddRefusesUnprintableMediaAndDropsBlankNames)
{
    CustomMediaStore store(*m_settings);
    store.add(custom(QStringLiteral("ok"), 2, 1));
    for (const LabelMedia &bad : {custom(QStringLiteral("z"), 0, 1), custom(QStringLiteral("n"), NAN, 1),
                                  custom(QStringLiteral("w"), 49, 1), custom(QString(), 2, 1)}) {
        EXPECT_THROW(store.add(bad), InvalidLabelMediaError);
    }
    EXPECT_EQ(store.items().size(), 1);
    EXPECT_EQ(stored().size(), 1);

    store.add(custom(QStringLiteral("blank"), 3, 2, QStringLiteral("   ")));
    EXPECT_EQ(store.items().last().name, std::nullopt);
    EXPECT_FALSE(stored().last().toObject().contains(QStringLiteral("name")));
}

TEST_F(MediaSettings, AMediumTooSmallToFeedIsNotAddedButAStoredOneStaysListed)
{
    store(R"([{"id":"tiny","widthInches":0.1,"heightInches":0.1,"isCircular":false}])");
    CustomMediaStore store(*m_settings);
    ASSERT_EQ(store.items().size(), 1);
    const LabelMedia tiny = store.items().first();
    EXPECT_EQ(tiny.invalidReason(), std::nullopt);
    ASSERT_TRUE(tiny.unprintableReason().has_value());
    EXPECT_TRUE(tiny.unprintableReason()->startsWith(QStringLiteral("A label must be at least 0.25 inches")));

    for (const LabelMedia &small :
         {custom(QStringLiteral("a"), 0.001, 0.001), custom(QStringLiteral("b"), 1e-300, 2),
          custom(QStringLiteral("c"), 2, 0.2499)})
        EXPECT_THROW(store.add(small), InvalidLabelMediaError)
            << small.widthInches << "x" << small.heightInches;
    store.add(custom(QStringLiteral("quarter"), 0.25, 0.25));
    EXPECT_EQ(store.items().size(), 2);
}

TEST_F(MediaSettings, OneUnreadableEntryIsSkippedAndKeptOnDisk)
{
    store(R"([{"id":"good","widthInches":3,"heightInches":2,"isCircular":false,"name":null},
              {"id":"broken","widthInches":3,"heightInches":2},
              {"id":"huge","widthInches":1000,"heightInches":2,"isCircular":false},
              "not an object"])");
    CustomMediaStore store(*m_settings);
    ASSERT_EQ(store.items().size(), 1);
    EXPECT_EQ(store.items().at(0), custom(QStringLiteral("good"), 3, 2)); // a null name is no name
    EXPECT_EQ(store.unreadableCount(), 3);

    store.add(custom(QStringLiteral("new"), 4, 6));
    const QJsonArray after = stored();
    ASSERT_EQ(after.size(), 5);
    EXPECT_EQ(after.at(0).toObject().value(QStringLiteral("id")), QStringLiteral("good"));
    EXPECT_EQ(after.at(1).toObject().value(QStringLiteral("id")), QStringLiteral("new"));
    EXPECT_EQ(after.at(2).toObject().value(QStringLiteral("id")), QStringLiteral("broken"));
    EXPECT_EQ(after.at(4), QJsonValue(QStringLiteral("not an object")));
}

TEST_F(MediaSettings, AStoredValueThatIsNotAListIsKeptAsideBeforeTheFirstSave)
{
    store("{\"id\": tru");
    CustomMediaStore store(*m_settings);
    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_EQ(m_settings->bytesValue(CustomMediaStore::key()), QByteArray("{\"id\": tru")); // untouched by load

    store.add(custom(QStringLiteral("new"), 4, 6));
    EXPECT_EQ(m_settings->bytesValue(CustomMediaStore::unreadableKey()), QByteArray("{\"id\": tru"));
    EXPECT_EQ(stored().size(), 1);
}

TEST_F(MediaSettings, ASizeThatJsonCannotHoldStopsTheSave)
{
    CustomMediaStore store(*m_settings);
    store.add(custom(QStringLiteral("ok"), 2, 1));
    store.setItems({custom(QStringLiteral("ok"), 2, 1), custom(QStringLiteral("nan"), NAN, 1)});
    store.save();
    EXPECT_EQ(stored().size(), 1);
}

TEST_F(MediaSettings, CalibrationOffsetsAreStoredAtOnceAndNotifyOnChange)
{
    m_settings->setInt(PrinterCalibrationStore::feedOffsetKey(), 7);
    PrinterCalibrationStore store(*m_settings);
    EXPECT_EQ(store.verticalOffset(), 0);
    EXPECT_EQ(store.feedOffset(), 7);
    EXPECT_TRUE(m_settings->contains(PrinterCalibrationStore::verticalOffsetKey()));

    QSignalSpy vertical(&store, &PrinterCalibrationStore::verticalOffsetChanged);
    store.setVerticalOffset(-4);
    store.setVerticalOffset(-4);
    EXPECT_EQ(vertical.count(), 1);
    // The store keeps what it is given; the print path limits what it sends.
    store.setFeedOffset(-31);
    EXPECT_EQ(m_settings->intValue(PrinterCalibrationStore::feedOffsetKey()), -31);
    EXPECT_EQ(PrinterCalibrationStore(*m_settings).verticalOffset(), -4);

    // An unchanged value is still written.
    m_settings->remove(PrinterCalibrationStore::verticalOffsetKey());
    store.setVerticalOffset(-4);
    EXPECT_EQ(m_settings->intValue(PrinterCalibrationStore::verticalOffsetKey(), 99), -4);
}
