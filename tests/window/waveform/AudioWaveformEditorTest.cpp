#include "window/waveform/AudioWaveformEditor.h"

#include <gtest/gtest.h>

#include <cmath>

// The editor's geometry: zoom, ruler, handles and the mouse, in canvas pixels.
namespace {

using Action = AudioWaveformEditor::Release::Action;

// A 30 s file with the cue playing all of it, in a 600-pixel view.
AudioWaveformEditor thirtySeconds() {
    AudioWaveformEditor editor;
    editor.setFile(30.0, 600.0f);
    editor.setPlayedTimes(0.0, 30.0);
    return editor;
}

TEST(AudioWaveformEditorTest, ANewFileFitsTheViewAndSetsTheRuler) {
    AudioWaveformEditor editor = thirtySeconds();
    EXPECT_EQ(editor.pixelsPerSecond(), 20.0);
    EXPECT_EQ(editor.contentWidth(), 600.0f);
    EXPECT_EQ(editor.rulerSpacing(), 5.0);
    EXPECT_EQ(editor.playedSelection().rightPixel(), 600.0f);
    // Ticks at the first pixel of each 5 s: 0, 100, 200 ...
    EXPECT_TRUE(editor.rulerAtPixel(100));
    EXPECT_FALSE(editor.rulerAtPixel(99));
    EXPECT_FALSE(editor.rulerAtPixel(101));
    EXPECT_EQ(AudioWaveformEditor::rulerSpacingFor(300.0), 0.25);
    // Labels name the multiple, not the pixel's own time past it.
    ASSERT_TRUE(editor.zoom(76.29, false, 0.0f, 600.0f));
    EXPECT_EQ(editor.rulerSpacing(), 1.0);
    EXPECT_TRUE(editor.rulerAtPixel(611));
    EXPECT_EQ(editor.rulerTimeAtPixel(611), 8.0);
    EXPECT_EQ(AudioWaveformEditor::rulerSpacingFor(0.01), 3600.0);
}

TEST(AudioWaveformEditorTest, AFileTooLongForTheLeastZoomShowsAtTheLeastZoom) {
    AudioWaveformEditor editor = thirtySeconds();
    editor.setFile(3.0 * 3600.0, 600.0f);
    EXPECT_EQ(editor.pixelsPerSecond(), AudioWaveformEditor::kMinimumZoom);
    EXPECT_FLOAT_EQ(editor.contentWidth(), 1080.0f);
}

TEST(AudioWaveformEditorTest, RulerLabelsShowSecondsThenTheTimeText) {
    EXPECT_EQ(AudioWaveformEditor::rulerLabel(12.5, 5.0), "12.50");
    EXPECT_EQ(AudioWaveformEditor::rulerLabel(90.0, 10.0), "01:30");
    EXPECT_EQ(AudioWaveformEditor::rulerLabel(90.5, 0.5), "01:30.50");
    EXPECT_EQ(AudioWaveformEditor::timeText(1.23456), "00:01.235");
    EXPECT_DOUBLE_EQ(AudioWaveformEditor::storedTime(1.23456), 1.235);
    EXPECT_DOUBLE_EQ(AudioWaveformEditor::storedTime(-0.2), 0.0);
}

TEST(AudioWaveformEditorTest, TheWheelZoomsAboutTheSelectionThePlayheadOrTheMiddle) {
    EXPECT_EQ(AudioWaveformEditor::wheelFactor(1.0f), 1.25);
    EXPECT_EQ(AudioWaveformEditor::wheelFactor(-1.0f), 0.8);

    // Not loaded: the middle of the visible part, 15 s, stays in the middle.
    AudioWaveformEditor editor = thirtySeconds();
    auto scroll = editor.zoom(20.0 * 1.25 * 1.25, false, 0.0f, 600.0f);
    ASSERT_TRUE(scroll);
    EXPECT_EQ(editor.pixelsPerSecond(), 31.25);
    EXPECT_EQ(*scroll, std::round(15.0f * 31.25f - 300.0f));

    // The playhead at 4 s.
    editor.setCursorTime(4.0);
    scroll = editor.zoom(editor.pixelsPerSecond() * 1.25, false, 0.0f, 600.0f);
    ASSERT_TRUE(scroll);
    EXPECT_FLOAT_EQ(editor.cursorPosition(), 4.0f * 39.0625f);
    EXPECT_EQ(*scroll, std::round(4.0f * 39.0625f - 300.0f));

    // A selection from 10 s to 20 s on a stopped cue wins; on a running cue
    // the playhead does.
    editor.press(10.0f * 39.0625f, true, false, false);
    editor.dragTo(20.0f * 39.0625f);
    editor.release(20.0f * 39.0625f, false);
    AudioWaveformEditor running = editor;
    scroll = editor.zoom(editor.pixelsPerSecond() * 0.8, false, 0.0f, 600.0f);
    ASSERT_TRUE(scroll);
    EXPECT_EQ(*scroll, std::round(15.0f * 31.25f - 300.0f));
    EXPECT_FLOAT_EQ(editor.userSelection().leftPixel(), 10.0f * 31.25f);
    scroll = running.zoom(running.pixelsPerSecond() * 0.8, true, 0.0f, 600.0f);
    EXPECT_EQ(*scroll, std::round(4.0f * 31.25f - 300.0f));
}

TEST(AudioWaveformEditorTest, ZoomsOutsideTheLimitsAreRefusedAndTheFileNeverShowsNarrower) {
    AudioWaveformEditor editor = thirtySeconds();
    EXPECT_FALSE(editor.zoom(5001.0, false, 0.0f, 600.0f));
    EXPECT_FALSE(editor.zoom(0.09, false, 0.0f, 600.0f));
    EXPECT_TRUE(editor.zoom(5.0, false, 0.0f, 600.0f));
    EXPECT_EQ(editor.pixelsPerSecond(), 20.0);
    EXPECT_TRUE(editor.zoom(5000.0, false, 0.0f, 600.0f));
    EXPECT_EQ(editor.contentWidth(), 150000.0f);
    AudioWaveformEditor none;
    EXPECT_FALSE(none.zoom(20.0, false, 0.0f, 600.0f));
}

TEST(AudioWaveformEditorTest, AHandleStopsATenthOfASecondFromTheOtherEndOrCrossesIt) {
    AudioWaveformEditor editor = thirtySeconds();
    ASSERT_TRUE(editor.zoom(100.0, false, 0.0f, 600.0f));
    editor.setPlayedTimes(2.0, 5.0); // 200 to 500 px; 0.1 s is 10 px
    editor.press(501.0f, true, false, false);
    EXPECT_EQ(editor.dragging(), AudioWaveformEditor::Drag::Played);
    EXPECT_EQ(editor.anchor(), 200.0f);
    editor.dragTo(205.0f);
    EXPECT_EQ(editor.playedSelection().rightPixel(), 210.0f);
    editor.dragTo(195.0f);
    EXPECT_EQ(editor.playedSelection().leftPixel(), 190.0f);
    editor.dragTo(150.0f);
    EXPECT_EQ(editor.playedSelection().leftPixel(), 150.0f);
    EXPECT_EQ(editor.playedSelection().rightPixel(), 200.0f);
    const auto release = editor.release(150.0f, false);
    EXPECT_EQ(release.action, Action::SetRange);
    EXPECT_DOUBLE_EQ(release.start, 1.5);
    EXPECT_DOUBLE_EQ(release.end, 2.0);

    // Pushed left of the canvas by the rule, the start is stored as 0.
    editor.setPlayedTimes(0.05, 3.0);
    editor.press(500.0f, true, false, false);
    editor.press(301.0f, true, false, false);
    editor.dragTo(3.0f);
    EXPECT_EQ(editor.playedSelection().leftPixel(), -5.0f);
    EXPECT_EQ(editor.release(3.0f, false).start, 0.0);
}

TEST(AudioWaveformEditorTest, AStartIsStoredToTheMillisecond) {
    AudioWaveformEditor editor = thirtySeconds();
    ASSERT_TRUE(editor.zoom(5000.0, false, 0.0f, 600.0f));
    editor.setPlayedTimes(0.0, 30.0);
    editor.press(1.0f, true, false, false);
    EXPECT_EQ(editor.dragging(), AudioWaveformEditor::Drag::Played);
    editor.dragTo(float(1.23456 * 5000.0));
    const auto release = editor.release(float(1.23456 * 5000.0), false);
    EXPECT_DOUBLE_EQ(release.start, 1.235);
    EXPECT_DOUBLE_EQ(release.end, 30.0);
}

TEST(AudioWaveformEditorTest, ClicksCollapseTheSelectionAndSeekNeverBeforeTheStart) {
    AudioWaveformEditor editor = thirtySeconds();
    editor.setPlayedTimes(10.0, 30.0); // start handle at 200 px
    editor.press(300.0f, true, false, false);
    auto release = editor.release(300.0f, false);
    EXPECT_EQ(editor.userSelection().leftPixel(), 300.0f);
    EXPECT_EQ(editor.userSelection().rightPixel(), 300.0f);
    EXPECT_EQ(release.action, Action::Seek);
    EXPECT_DOUBLE_EQ(release.start, 5.0);

    // Shift extends from the previous anchor.
    editor.press(400.0f, true, true, false);
    editor.release(400.0f, false);
    EXPECT_EQ(editor.userSelection().leftPixel(), 300.0f);
    EXPECT_EQ(editor.userSelection().rightPixel(), 400.0f);

    // Left of the start handle.
    editor.press(100.0f, true, false, false);
    release = editor.release(100.0f, false);
    EXPECT_EQ(release.action, Action::Seek);
    EXPECT_EQ(release.start, 0.0);

    // In the ruler, or on a running cue, nothing is selected.
    editor.press(350.0f, false, false, false);
    EXPECT_EQ(editor.dragging(), AudioWaveformEditor::Drag::None);
    editor.press(350.0f, true, false, true);
    EXPECT_EQ(editor.dragging(), AudioWaveformEditor::Drag::None);
}

TEST(AudioWaveformEditorTest, TheSelectionBecomesThePlayedRangeOnlyWhenLongEnough) {
    AudioWaveformEditor editor = thirtySeconds();
    editor.press(100.0f, true, false, false);
    editor.dragTo(101.0f); // 0.05 s
    editor.release(101.0f, false);
    EXPECT_FALSE(editor.rangeFromSelection());
    editor.press(100.0f, true, false, false);
    editor.dragTo(300.0f);
    editor.release(300.0f, false);
    const auto range = editor.rangeFromSelection();
    ASSERT_TRUE(range);
    EXPECT_DOUBLE_EQ(range->start, 5.0);
    EXPECT_DOUBLE_EQ(range->end, 15.0);
    editor.clearSelection();
    EXPECT_FALSE(editor.hasUserSelection());
    editor.selectAll();
    EXPECT_EQ(editor.userSelection().rightPixel(), 600.0f);
}

} // namespace
