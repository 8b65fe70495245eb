#include "FakeDocuments.h"
#include "PondraFixture.h"
#include "app/UserDefaultsMidiSettings.h"
#include "platform/midi/MidiBytes.h"

#include <QEventLoop>

#include <thread>

namespace {

class PondraMidiTest : public PondraFixture {
protected:
    PondraMidiTest() {
        first.windowController = std::make_unique<RecordingWindowController>("first", deliveries);
        second.windowController = std::make_unique<RecordingWindowController>("second", deliveries);
        documents.open = {&first, &second};
    }

    std::vector<RecordingWindowController::Delivery> deliveries;
    FakeDocument first;
    FakeDocument second;
    FakeDocuments documents;
};

const MidiBatch kChord = {{0x90, 1, 60, 100}, {0x90, 1, 64, 100}, {0x90, 1, 67, 100}};

} // namespace

TEST_F(PondraMidiTest, ABatchFromAReaderThreadReachesEveryDocumentInOrderOnTheGuiThread) {
    auto application = makeApplication();
    application->setDocuments(&documents);

    std::thread reader([&] { application->takeMIDIMessages(kChord); });
    reader.join();
    // Handed over without waiting for the GUI thread.
    EXPECT_TRUE(deliveries.empty());

    QCoreApplication::processEvents();
    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[0].receiver, "first");
    EXPECT_EQ(deliveries[1].receiver, "second");
    for (const auto& delivery : deliveries) {
        EXPECT_EQ(delivery.thread, std::this_thread::get_id());
        EXPECT_EQ(delivery.messages, kChord);
    }
}

TEST_F(PondraMidiTest, ADocumentWithoutAWindowIsPassedOver) {
    auto application = makeApplication();
    first.windowController.reset();
    application->setDocuments(&documents);

    application->takeMIDIMessages(kChord);
    QCoreApplication::processEvents();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].receiver, "second");
}

TEST_F(PondraMidiTest, WithoutADocumentControllerABatchIsDropped) {
    auto application = makeApplication();
    application->takeMIDIMessages(kChord);
    QCoreApplication::processEvents();
    EXPECT_TRUE(deliveries.empty());
}

TEST_F(PondraMidiTest, NotesFromTheVirtualPortReachBothDocumentsAfterLaunching) {
    auto application = makeApplication();
    application->setDocuments(&documents);
    application->applicationDidFinishLaunching();
    ASSERT_TRUE(application->applicationHasFinishedLaunching());
    ASSERT_NE(application->midiInput()->virtualInputStream(), nullptr);

    QEventLoop loop;
    second.windowController->afterDelivery = [&] { loop.quit(); };
    midi.clients.at("Pondra")->push(eventsFromBytes({0x90, 60, 100, 64, 100, 67, 100}));
    loop.exec();

    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[0].messages, kChord);
    EXPECT_EQ(deliveries[1].messages, kChord);
}

TEST_F(PondraMidiTest, LaunchingWithoutASequencerLogsAndRunsOn) {
    midi.available = false;
    auto application = makeApplication();
    application->applicationDidFinishLaunching();

    EXPECT_TRUE(application->applicationHasFinishedLaunching());
    EXPECT_EQ(application->midiInput()->portInputStream(), nullptr);
    EXPECT_EQ(application->midiInput()->virtualInputStream(), nullptr);
    const auto lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("ERROR: Could not create MIDI input");
                            }),
              2);
}

TEST_F(PondraMidiTest, TheVirtualPortNumberComesFromTheDefaultsAndIsWrittenBack) {
    defaults()->setValue(UserDefaultsMidiSettings::kVirtualInputStreamIDKey, 5);
    midi.takenPorts["Pondra"] = {5};
    auto application = makeApplication();
    application->applicationDidFinishLaunching();

    const std::vector<std::optional<int>> requests = {5, std::nullopt};
    EXPECT_EQ(midi.clients.at("Pondra")->requestedPorts(), requests);
    application->defaults().waitForWrites();
    EXPECT_EQ(defaults()->value(UserDefaultsMidiSettings::kVirtualInputStreamIDKey).toInt(),
              application->midiInput()->virtualInputStream()->uniqueID());
}

TEST_F(PondraMidiTest, EachDocumentsUndoTurnEndsWhenTheEventLoopWaits) {
    auto application = makeApplication();
    application->setDocuments(&documents);
    int undone = 0;
    first.undo.registerUndo(this, [&] { ++undone; });
    ASSERT_EQ(first.undo.groupingLevel(), 1);

    QEventLoop loop;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    loop.exec(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(first.undo.groupingLevel(), 0);
    EXPECT_TRUE(first.undo.canUndo());
}

TEST_F(PondraMidiTest, ASecondLaunchKeepsTheMidiInputItHas) {
    auto application = makeApplication();
    application->applicationDidFinishLaunching();
    MidiInput* input = application->midiInput();
    application->applicationDidFinishLaunching();
    EXPECT_EQ(application->midiInput(), input);
}
