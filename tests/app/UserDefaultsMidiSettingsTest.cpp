#include "app/UserDefaultsMidiSettings.h"

#include "PondraFixture.h"

using UserDefaultsMidiSettingsTest = PondraFixture;

TEST_F(UserDefaultsMidiSettingsTest, AnIdentifierSurvivesIntoANewSettingsObject) {
    {
        auto stored = defaults();
        UserDefaultsMidiSettings settings(*stored);
        EXPECT_EQ(settings.virtualInputStreamID(), 0);
        settings.setVirtualInputStreamID(42);
    }
    auto reread = defaults();
    EXPECT_EQ(reread->value("PondraMIDIVirtualInputStreamID").toInt(), 42);
    EXPECT_EQ(UserDefaultsMidiSettings(*reread).virtualInputStreamID(), 42);
}

TEST_F(UserDefaultsMidiSettingsTest, AValueThatIsNoNumberReadsAsNone) {
    auto stored = defaults();
    stored->setValue("PondraMIDIVirtualInputStreamID", "port three");
    EXPECT_EQ(UserDefaultsMidiSettings(*stored).virtualInputStreamID(), 0);
}
