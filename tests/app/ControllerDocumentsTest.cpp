#include "app/ControllerDocuments.h"

#include "FakeDocuments.h"
#include "foundation/ManualScheduler.h"
#include "model/Document.h"
#include "model/DocumentController.h"

#include <gtest/gtest.h>

namespace {

class EmptyDocument : public Document {
public:
    bool readFromPackage(const std::string&, KivError&) override { return true; }
    std::optional<PackageContents> contentsForSaving(KivError&) override { return std::nullopt; }
    void didSave(bool) override {}
};

TEST(ControllerDocumentsTest, EveryOpenDocumentInOrderWithItsWindowAndUndoManager) {
    ManualClock clock;
    ManualScheduler scheduler(clock);
    DocumentController controller([] { return std::make_shared<EmptyDocument>(); }, PackageWriter(),
                                  scheduler);
    auto first = controller.newDocument();
    auto second = controller.newDocument();
    std::vector<RecordingWindowController::Delivery> deliveries;
    RecordingWindowController window("second", deliveries);
    ControllerDocuments documents(controller, [&](Document& document) {
        return &document == second.get() ? &window : nullptr;
    });

    auto open = documents.documents();
    ASSERT_EQ(open.size(), 2U);
    EXPECT_EQ(open[0]->firstWindowController(), nullptr);
    EXPECT_EQ(open[1]->firstWindowController(), &window);
    EXPECT_EQ(&open[0]->undoManager(), &first->undoManager());

    controller.closeDocument(*first);
    const auto after = documents.documents();
    ASSERT_EQ(after.size(), 1U);
    EXPECT_EQ(after[0], open[1]);
}

} // namespace
