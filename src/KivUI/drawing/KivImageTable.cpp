#include "KivUI/drawing/KivImageTable.h"

#include "KivUI/drawing/KivControlArt.h"
#include "KivUI/drawing/KivCueArt.h"
#include "KivUI/drawing/KivImageArt.h"
#include "KivUI/drawing/KivTabArt.h"
#include "KivUI/drawing/KivTrackArt.h"
#include "KivUI/drawing/KivWorkspaceArt.h"

#include <iterator>

namespace {

// clang-format off
const KivImageEntry kImages[] = {
    {"vorn_button_left", {8, 24}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Left, false, false); }},
    {"vorn_button_fill", {1, 24}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Fill, false, false); }},
    {"vorn_button_right", {8, 24}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Right, false, false); }},
    {"vorn_button_left_pressed", {8, 24}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Left, false, true); }},
    {"vorn_button_fill_pressed", {1, 24}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Fill, false, true); }},
    {"vorn_button_right_pressed", {8, 24}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Right, false, true); }},
    {"vorn_button_small_left", {7, 20}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Left, true, false); }},
    {"vorn_button_small_fill", {1, 20}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Fill, true, false); }},
    {"vorn_button_small_right", {7, 20}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Right, true, false); }},
    {"vorn_button_small_left_pressed", {7, 20}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Left, true, true); }},
    {"vorn_button_small_fill_pressed", {1, 20}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Fill, true, true); }},
    {"vorn_button_small_right_pressed", {7, 20}, [](QPainter& p, const QSizeF& s) { KivControlArt::button(p, s, KivImageArt::Piece::Right, true, true); }},
    {"vorn_popup_left", {8, 22}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Left, false, false); }},
    {"vorn_popup_fill", {1, 22}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Fill, false, false); }},
    {"vorn_popup_right", {22, 22}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Right, false, false); }},
    {"vorn_pulldown_right", {22, 22}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Right, false, true); }},
    {"vorn_popup_small_left", {7, 18}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Left, true, false); }},
    {"vorn_popup_small_fill", {1, 18}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Fill, true, false); }},
    {"vorn_popup_small_right", {18, 18}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Right, true, false); }},
    {"vorn_pulldown_small_right", {18, 18}, [](QPainter& p, const QSizeF& s) { KivControlArt::popUp(p, s, KivImageArt::Piece::Right, true, true); }},
    {"vorn_checkbox_off", {16, 16}, [](QPainter& p, const QSizeF& s) { KivControlArt::checkbox(p, s, Qt::Unchecked, false); }},
    {"vorn_checkbox_off_pressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivControlArt::checkbox(p, s, Qt::Unchecked, true); }},
    {"vorn_checkbox_mixed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivControlArt::checkbox(p, s, Qt::PartiallyChecked, false); }},
    {"vorn_checkbox_mixed_pressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivControlArt::checkbox(p, s, Qt::PartiallyChecked, true); }},
    {"vorn_checkbox_on", {16, 16}, [](QPainter& p, const QSizeF& s) { KivControlArt::checkbox(p, s, Qt::Checked, false); }},
    {"vorn_checkbox_on_pressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivControlArt::checkbox(p, s, Qt::Checked, true); }},
    {"vorn_well_top_left", {6, 6}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::TopLeft); }},
    {"vorn_well_top_center", {1, 6}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::Top); }},
    {"vorn_well_top_right", {6, 6}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::TopRight); }},
    {"vorn_well_center_left", {6, 1}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::Left); }},
    {"vorn_well_center", {1, 1}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::Centre); }},
    {"vorn_well_center_right", {6, 1}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::Right); }},
    {"vorn_well_bottom_left", {6, 6}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::BottomLeft); }},
    {"vorn_well_bottom_center", {1, 6}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::Bottom); }},
    {"vorn_well_bottom_right", {6, 6}, [](QPainter& p, const QSizeF& s) { KivControlArt::well(p, s, KivImageArt::Grid::BottomRight); }},
    {"vorn_slider_knob.png", {15, 15}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderKnob(p, s); }},
    {"vorn_slider_knob_small.png", {11, 11}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderKnob(p, s); }},
    {"vorn_track_left.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Left, false, false); }},
    {"vorn_track_center.png", {1, 6}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Fill, false, false); }},
    {"vorn_track_right.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Right, false, false); }},
    {"vorn_track_filled_left.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Left, true, false); }},
    {"vorn_track_filled_center.png", {1, 6}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Fill, true, false); }},
    {"vorn_track_filled_right.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Right, true, false); }},
    {"vorn_track_left_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Left, false, true); }},
    {"vorn_track_center_small.png", {1, 5}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Fill, false, true); }},
    {"vorn_track_right_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Right, false, true); }},
    {"vorn_track_filled_left_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Left, true, true); }},
    {"vorn_track_filled_center_small.png", {1, 5}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Fill, true, true); }},
    {"vorn_track_filled_right_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivTrackArt::sliderTrack(p, s, KivImageArt::Piece::Right, true, true); }},
    {"vorn_splitter_bar", {8, 12}, [](QPainter& p, const QSizeF& s) { KivTrackArt::splitterBar(p, s); }},
    {"vorn_splitter_handle", {20, 6}, [](QPainter& p, const QSizeF& s) { KivTrackArt::splitterHandle(p, s); }},
    {"progressbar_bg_left.png", {5, 14}, [](QPainter& p, const QSizeF& s) { KivTrackArt::progressBackground(p, s, KivImageArt::Piece::Left); }},
    {"progressbar_bg_middle.png", {1, 14}, [](QPainter& p, const QSizeF& s) { KivTrackArt::progressBackground(p, s, KivImageArt::Piece::Fill); }},
    {"progressbar_bg_right.png", {5, 14}, [](QPainter& p, const QSizeF& s) { KivTrackArt::progressBackground(p, s, KivImageArt::Piece::Right); }},
    {"progressbar_fill.png", {4, 14}, [](QPainter& p, const QSizeF& s) { KivTrackArt::progressFill(p, s); }},
    {"progressbar_fill_paused.png", {4, 14}, [](QPainter& p, const QSizeF& s) { KivTrackArt::progressFill(p, s, true); }},
    {"TabClose_Front", {12, 12}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabClose(p, s, false, KivTabArt::ButtonLook::Normal); }},
    {"TabClose_Front_Pressed", {12, 12}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabClose(p, s, false, KivTabArt::ButtonLook::Pressed); }},
    {"TabClose_Front_Rollover", {12, 12}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabClose(p, s, false, KivTabArt::ButtonLook::Rollover); }},
    {"TabClose_Dirty", {12, 12}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabClose(p, s, true, KivTabArt::ButtonLook::Normal); }},
    {"TabClose_Dirty_Pressed", {12, 12}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabClose(p, s, true, KivTabArt::ButtonLook::Pressed); }},
    {"TabClose_Dirty_Rollover", {12, 12}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabClose(p, s, true, KivTabArt::ButtonLook::Rollover); }},
    {"TabNewMetal", {16, 16}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabNew(p, s, KivTabArt::ButtonLook::Normal); }},
    {"TabNewMetalPressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabNew(p, s, KivTabArt::ButtonLook::Pressed); }},
    {"TabNewMetalRollover", {16, 16}, [](QPainter& p, const QSizeF& s) { KivTabArt::tabNew(p, s, KivTabArt::ButtonLook::Rollover); }},
    {"overflowImage", {14, 14}, [](QPainter& p, const QSizeF& s) { KivTabArt::overflow(p, s, false); }},
    {"overflowImagePressed", {14, 14}, [](QPainter& p, const QSizeF& s) { KivTabArt::overflow(p, s, true); }},
    {"pi", {16, 16}, [](QPainter& p, const QSizeF& s) { KivTabArt::progressIndicator(p, s); }},
    {"play_cue.png", {24, 24}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueButton(p, s, false); }},
    {"stop_cue.png", {24, 24}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueButton(p, s, true); }},
    {"previewStart", {20, 20}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueButton(p, s, false); }},
    {"previewStop", {20, 20}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueButton(p, s, true); }},
    {"hold_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueIcon(p, s, KivCueArt::CueIcon::Hold); }},
    {"loop_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueIcon(p, s, KivCueArt::CueIcon::Loop); }},
    {"solo_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueIcon(p, s, KivCueArt::CueIcon::Solo); }},
    {"ducking_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivCueArt::cueIcon(p, s, KivCueArt::CueIcon::Ducking); }},
    {"status_running", {22, 22}, [](QPainter& p, const QSizeF& s) { KivCueArt::statusRunning(p, s); }},
    {"status_paused", {22, 22}, [](QPainter& p, const QSizeF& s) { KivCueArt::statusPaused(p, s); }},
    {"status_spinner", {30, 360}, [](QPainter& p, const QSizeF& s) { KivCueArt::statusSpinner(p, s); }},
    {"status_broken", {22, 22}, [](QPainter& p, const QSizeF& s) { KivCueArt::statusBroken(p, s); }},
    {"status_missing", {22, 22}, [](QPainter& p, const QSizeF& s) { KivCueArt::statusMissing(p, s); }},
    {"bottom_pattern.png", {4, 63}, [](QPainter& p, const QSizeF& s) { KivWorkspaceArt::bottomPattern(p, s); }},
    {"pause_button_normal", {36, 30}, [](QPainter& p, const QSizeF& s) { KivWorkspaceArt::pauseButton(p, s, false); }},
    {"pause_button_highlighted", {36, 30}, [](QPainter& p, const QSizeF& s) { KivWorkspaceArt::pauseButton(p, s, true); }},
    {"ducking_button_normal", {36, 30}, [](QPainter& p, const QSizeF& s) { KivWorkspaceArt::duckingButton(p, s, false); }},
    {"ducking_button_highlighted", {36, 30}, [](QPainter& p, const QSizeF& s) { KivWorkspaceArt::duckingButton(p, s, true); }},
};
// clang-format on

} // namespace

const KivImageEntry* KivImageTableBegin() {
    return std::begin(kImages);
}

const KivImageEntry* KivImageTableEnd() {
    return std::end(kImages);
}
