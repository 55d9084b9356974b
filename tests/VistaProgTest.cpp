#include "VistaProg.h"

#include <QMetaClassInfo>
#include <QMetaProperty>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// A placed instance that remembers which properties it said changed.
class VistaProgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bar.resize(100, 15);
        bar.InitProperties();
        QObject::connect(&bar, &VistaProg::propertyChanged, [this](const QString &name) { notified.append(name); });
    }

    void Expect(int min, int max, int value) const
    {
        EXPECT_EQ(bar.Min(), min);
        EXPECT_EQ(bar.Max(), max);
        EXPECT_EQ(bar.Value(), value);
    }

    VistaProg bar;
    QStringList notified;
};

TEST_F(VistaProgTest, NewInstanceHoldsZeroUntilPlacedThenTheDefaults)
{
    VistaProg fresh;
    EXPECT_EQ(fresh.Max(), 0);
    EXPECT_EQ(fresh.Value(), 0);
    Expect(0, 100, 50);
}

TEST_F(VistaProgTest, ValueIsClampedIntoMinAndMax)
{
    bar.SetValue(1000);
    Expect(0, 100, 100);
    bar.SetValue(-5);
    Expect(0, 100, 0);
    EXPECT_EQ(notified, QStringList({"Value", "Value"}));
    // Up to a Min that is not zero, too.
    bar.SetMin(20);
    bar.SetValue(5);
    Expect(20, 100, 20);
}

TEST_F(VistaProgTest, MaxStaysAboveMinAndPullsValueDown)
{
    bar.SetMax(0);
    Expect(0, 1, 1);
    notified.clear();
    bar.SetMax(10);
    bar.SetMin(7);
    bar.SetMax(5);
    Expect(7, 8, 7);

    bar.SetMax(100);
    bar.SetMin(0);
    bar.SetValue(50);
    notified.clear();
    bar.SetMax(10);
    Expect(0, 10, 10);
    EXPECT_EQ(notified, QStringList({"Value", "Max"})) << "the pulled Value is told before Max";
}

TEST_F(VistaProgTest, MinStaysBelowMaxAndPullsValueUp)
{
    bar.SetMin(100);
    Expect(99, 100, 99);
    bar.SetMin(-3);
    Expect(0, 100, 99);
    bar.SetValue(50);
    notified.clear();
    bar.SetMin(60);
    Expect(60, 100, 60);
    EXPECT_EQ(notified, QStringList({"Value", "Min"}));
    notified.clear();
    bar.SetMin(10);
    EXPECT_EQ(notified, QStringList({"Min"})) << "a Value already in range is left alone";
}

TEST_F(VistaProgTest, PropertiesCanBeSetByNameAsTheProgramDoes)
{
    EXPECT_TRUE(bar.setProperty("Max", 8));
    EXPECT_TRUE(bar.setProperty("Value", 12));
    EXPECT_EQ(bar.property("Value").toInt(), 8);
    EXPECT_EQ(bar.property("Min").toInt(), 0);
}

// The property a late-bound caller reaches by a dispatch identifier, looked up as such a caller
// looks it up: among the identifiers the control's class publishes.
QMetaProperty PropertyOfDispatchId(const QMetaObject &meta, quint32 dispatchId)
{
    for (int index = 0; index < meta.classInfoCount(); ++index) {
        const QByteArray name = meta.classInfo(index).name();
        if (name.startsWith("DispId.") && QByteArray(meta.classInfo(index).value()).toUInt(nullptr, 0) == dispatchId)
            return meta.property(meta.indexOfProperty(name.mid(7).constData()));
    }
    return QMetaProperty();
}

// Containers call the control by the dispatch identifiers of its interface: each reaches its own
// property, with that property's setter rules.
TEST_F(VistaProgTest, EachDispatchIdentifierReachesItsProperty)
{
    const QMetaProperty min = PropertyOfDispatchId(*bar.metaObject(), 0x68030000);
    const QMetaProperty max = PropertyOfDispatchId(*bar.metaObject(), 0x68030001);
    const QMetaProperty value = PropertyOfDispatchId(*bar.metaObject(), 0x68030002);
    ASSERT_TRUE(min.isValid() && max.isValid() && value.isValid());
    EXPECT_TRUE(max.write(&bar, 8));
    EXPECT_TRUE(value.write(&bar, 12));
    Expect(0, 8, 8);
    EXPECT_TRUE(min.write(&bar, 3));
    EXPECT_TRUE(value.write(&bar, 1));
    Expect(3, 8, 3);
    EXPECT_EQ(value.read(&bar).toInt(), 3);
    EXPECT_EQ(notified, QStringList({"Value", "Max", "Value", "Min", "Value"}));
}

TEST_F(VistaProgTest, PropertyBagStoresOnlyWhatDiffersFromTheDefaults)
{
    PropertyBag bag;
    bar.WriteProperties(bag);
    EXPECT_TRUE(bag.Values().isEmpty());

    bar.SetMax(8);
    bar.SetValue(3);
    bar.WriteProperties(bag);
    EXPECT_EQ(bag.Values(), (QVariantMap{{"Max", 8}, {"Value", 3}}));

    VistaProg loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.Max(), 8);
    EXPECT_EQ(loaded.Min(), 0);
    EXPECT_EQ(loaded.Value(), 3);

    VistaProg fromEmpty;
    fromEmpty.ReadProperties(PropertyBag());
    EXPECT_EQ(fromEmpty.Max(), 100);
    EXPECT_EQ(fromEmpty.Min(), 0);
    EXPECT_EQ(fromEmpty.Value(), 50);
}

TEST_F(VistaProgTest, AValueThatCannotBeConvertedIsSkippedAndTheRestStillRead)
{
    PropertyBag bag;
    bag.SetValues({{"Max", "not a number"}, {"Min", 5}, {"Value", "7"}});
    bar.SetMax(40);
    bar.ReadProperties(bag);
    EXPECT_EQ(bar.Max(), 40);
    EXPECT_EQ(bar.Min(), 5);
    EXPECT_EQ(bar.Value(), 7);
}

TEST_F(VistaProgTest, AnyHeightEndsAtFifteenPixelsAndTheRightCapFollowsTheWidth)
{
    for (const int height : {1, 15, 16, 225, 4000}) {
        bar.resize(200, height);
        bar.Resize();
        EXPECT_EQ(bar.height(), 15) << height;
    }
    EXPECT_EQ(bar.BarRight().Left, 200 * 15 - 30);
    EXPECT_EQ(bar.BarBack().Width, 200 * 15);
}

} // namespace
