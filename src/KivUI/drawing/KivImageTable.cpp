#include "KivUI/drawing/KivImageTable.h"

#include "KivUI/drawing/KivImageArt.h"

#include <iterator>

namespace {

// clang-format off
const KivImageEntry kImages[] = {
    {"vorn_button_left", {8, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Left, false, false); }},
    {"vorn_button_fill", {1, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Fill, false, false); }},
    {"vorn_button_right", {8, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Right, false, false); }},
    {"vorn_button_left_pressed", {8, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Left, false, true); }},
    {"vorn_button_fill_pressed", {1, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Fill, false, true); }},
    {"vorn_button_right_pressed", {8, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Right, false, true); }},
    {"vorn_button_small_left", {7, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Left, true, false); }},
    {"vorn_button_small_fill", {1, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Fill, true, false); }},
    {"vorn_button_small_right", {7, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Right, true, false); }},
    {"vorn_button_small_left_pressed", {7, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Left, true, true); }},
    {"vorn_button_small_fill_pressed", {1, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Fill, true, true); }},
    {"vorn_button_small_right_pressed", {7, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::button(p, s, KivImageArt::Piece::Right, true, true); }},
    {"vorn_popup_left", {8, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Left, false, false); }},
    {"vorn_popup_fill", {1, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Fill, false, false); }},
    {"vorn_popup_right", {22, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Right, false, false); }},
    {"vorn_pulldown_right", {22, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Right, false, true); }},
    {"vorn_popup_small_left", {7, 18}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Left, true, false); }},
    {"vorn_popup_small_fill", {1, 18}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Fill, true, false); }},
    {"vorn_popup_small_right", {18, 18}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Right, true, false); }},
    {"vorn_pulldown_small_right", {18, 18}, [](QPainter& p, const QSizeF& s) { KivImageArt::popUp(p, s, KivImageArt::Piece::Right, true, true); }},
    {"vorn_checkbox_off", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::checkbox(p, s, Qt::Unchecked, false); }},
    {"vorn_checkbox_off_pressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::checkbox(p, s, Qt::Unchecked, true); }},
    {"vorn_checkbox_mixed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::checkbox(p, s, Qt::PartiallyChecked, false); }},
    {"vorn_checkbox_mixed_pressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::checkbox(p, s, Qt::PartiallyChecked, true); }},
    {"vorn_checkbox_on", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::checkbox(p, s, Qt::Checked, false); }},
    {"vorn_checkbox_on_pressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::checkbox(p, s, Qt::Checked, true); }},
    {"vorn_well_top_left", {6, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::TopLeft); }},
    {"vorn_well_top_center", {1, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::Top); }},
    {"vorn_well_top_right", {6, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::TopRight); }},
    {"vorn_well_center_left", {6, 1}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::Left); }},
    {"vorn_well_center", {1, 1}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::Centre); }},
    {"vorn_well_center_right", {6, 1}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::Right); }},
    {"vorn_well_bottom_left", {6, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::BottomLeft); }},
    {"vorn_well_bottom_center", {1, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::Bottom); }},
    {"vorn_well_bottom_right", {6, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::well(p, s, KivImageArt::Grid::BottomRight); }},
    {"vorn_slider_knob.png", {15, 15}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderKnob(p, s); }},
    {"vorn_slider_knob_small.png", {11, 11}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderKnob(p, s); }},
    {"vorn_track_left.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Left, false, false); }},
    {"vorn_track_center.png", {1, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Fill, false, false); }},
    {"vorn_track_right.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Right, false, false); }},
    {"vorn_track_filled_left.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Left, true, false); }},
    {"vorn_track_filled_center.png", {1, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Fill, true, false); }},
    {"vorn_track_filled_right.png", {3, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Right, true, false); }},
    {"vorn_track_left_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Left, false, true); }},
    {"vorn_track_center_small.png", {1, 5}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Fill, false, true); }},
    {"vorn_track_right_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Right, false, true); }},
    {"vorn_track_filled_left_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Left, true, true); }},
    {"vorn_track_filled_center_small.png", {1, 5}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Fill, true, true); }},
    {"vorn_track_filled_right_small.png", {2, 5}, [](QPainter& p, const QSizeF& s) { KivImageArt::sliderTrack(p, s, KivImageArt::Piece::Right, true, true); }},
    {"vorn_splitter_bar", {8, 12}, [](QPainter& p, const QSizeF& s) { KivImageArt::splitterBar(p, s); }},
    {"vorn_splitter_handle", {20, 6}, [](QPainter& p, const QSizeF& s) { KivImageArt::splitterHandle(p, s); }},
    {"progressbar_bg_left.png", {5, 14}, [](QPainter& p, const QSizeF& s) { KivImageArt::progressBackground(p, s, KivImageArt::Piece::Left); }},
    {"progressbar_bg_middle.png", {1, 14}, [](QPainter& p, const QSizeF& s) { KivImageArt::progressBackground(p, s, KivImageArt::Piece::Fill); }},
    {"progressbar_bg_right.png", {5, 14}, [](QPainter& p, const QSizeF& s) { KivImageArt::progressBackground(p, s, KivImageArt::Piece::Right); }},
    {"progressbar_fill.png", {4, 14}, [](QPainter& p, const QSizeF& s) { KivImageArt::progressFill(p, s); }},
    {"progressbar_fill_paused.png", {4, 14}, [](QPainter& p, const QSizeF& s) { KivImageArt::progressFill(p, s, true); }},
    {"TabClose_Front", {12, 12}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabClose(p, s, false, KivImageArt::ButtonLook::Normal); }},
    {"TabClose_Front_Pressed", {12, 12}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabClose(p, s, false, KivImageArt::ButtonLook::Pressed); }},
    {"TabClose_Front_Rollover", {12, 12}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabClose(p, s, false, KivImageArt::ButtonLook::Rollover); }},
    {"TabClose_Dirty", {12, 12}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabClose(p, s, true, KivImageArt::ButtonLook::Normal); }},
    {"TabClose_Dirty_Pressed", {12, 12}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabClose(p, s, true, KivImageArt::ButtonLook::Pressed); }},
    {"TabClose_Dirty_Rollover", {12, 12}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabClose(p, s, true, KivImageArt::ButtonLook::Rollover); }},
    {"TabNewMetal", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabNew(p, s, KivImageArt::ButtonLook::Normal); }},
    {"TabNewMetalPressed", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabNew(p, s, KivImageArt::ButtonLook::Pressed); }},
    {"TabNewMetalRollover", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::tabNew(p, s, KivImageArt::ButtonLook::Rollover); }},
    {"overflowImage", {14, 14}, [](QPainter& p, const QSizeF& s) { KivImageArt::overflow(p, s, false); }},
    {"overflowImagePressed", {14, 14}, [](QPainter& p, const QSizeF& s) { KivImageArt::overflow(p, s, true); }},
    {"pi", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::progressIndicator(p, s); }},
    {"play_cue.png", {24, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueButton(p, s, false); }},
    {"stop_cue.png", {24, 24}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueButton(p, s, true); }},
    {"previewStart", {20, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueButton(p, s, false); }},
    {"previewStop", {20, 20}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueButton(p, s, true); }},
    {"hold_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueIcon(p, s, KivImageArt::CueIcon::Hold); }},
    {"loop_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueIcon(p, s, KivImageArt::CueIcon::Loop); }},
    {"solo_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueIcon(p, s, KivImageArt::CueIcon::Solo); }},
    {"ducking_icon_cell", {16, 16}, [](QPainter& p, const QSizeF& s) { KivImageArt::cueIcon(p, s, KivImageArt::CueIcon::Ducking); }},
    {"status_running", {22, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::statusRunning(p, s); }},
    {"status_paused", {22, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::statusPaused(p, s); }},
    {"status_spinner", {30, 360}, [](QPainter& p, const QSizeF& s) { KivImageArt::statusSpinner(p, s); }},
    {"status_broken", {22, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::statusBroken(p, s); }},
    {"status_missing", {22, 22}, [](QPainter& p, const QSizeF& s) { KivImageArt::statusMissing(p, s); }},
    {"bottom_pattern.png", {4, 63}, [](QPainter& p, const QSizeF& s) { KivImageArt::bottomPattern(p, s); }},
    {"pause_button_normal", {36, 30}, [](QPainter& p, const QSizeF& s) { KivImageArt::pauseButton(p, s, false); }},
    {"pause_button_highlighted", {36, 30}, [](QPainter& p, const QSizeF& s) { KivImageArt::pauseButton(p, s, true); }},
    {"ducking_button_normal", {36, 30}, [](QPainter& p, const QSizeF& s) { KivImageArt::duckingButton(p, s, false); }},
    {"ducking_button_highlighted", {36, 30}, [](QPainter& p, const QSizeF& s) { KivImageArt::duckingButton(p, s, true); }},
};
// clang-format on

} // namespace

const KivImageEntry* KivImageTableBegin() {
    return std::begin(kImages);
}

const KivImageEntry* KivImageTableEnd() {
    return std::end(kImages);
}
