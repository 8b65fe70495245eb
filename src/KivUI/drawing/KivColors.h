#pragma once

#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

// The fixed colours of the dark windows, by what they paint.
namespace KivColors {

inline QColor grey(qreal white, qreal alpha = 1.0) {
    return QColor::fromRgbF(white, white, white, alpha);
}
inline QColor rgb(qreal r, qreal g, qreal b, qreal alpha = 1.0) {
    return QColor::fromRgbF(r, g, b, alpha);
}

// WCAG's relative luminance of a colour, from 0 (black) to 1 (white).
inline double luminance(const QColor& color) {
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}
// The ratio of the lighter colour's luminance to the darker's, each plus
// 0.05: 1 for equal colours, 21 for black on white. Text reads from the desk
// at 4.5 or more.
inline double contrast(const QColor& one, const QColor& other) {
    const double a = luminance(one) + 0.05;
    const double b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}
constexpr double kReadableContrast = 4.5;

// What plays, and what is paused: the cells' marks, rings and bars and the
// tabs' marks of carts that play.
inline QColor playing() {
    return QColor::fromRgbF(0.5, 0.92, 0.45);
}
inline QColor paused() {
    return QColor::fromRgbF(0.98, 0.72, 0.25);
}

inline QColor titleEnabled() {
    return Qt::white;
}
inline QColor titleDisabled() {
    return grey(1.0 / 3.0);
}
inline QColor titleShadow() {
    return grey(0, 0.5);
}
inline QColor popUpHighlight() {
    return grey(0, 0.3);
}
inline QColor defaultButtonGlow() {
    return grey(1, 0.2);
}

inline QColor textFieldText() {
    return grey(0.9);
}
inline QColor textFieldEditingText() {
    return Qt::white;
}
inline QColor textFieldSelection() {
    return rgb(0.7, 0.7, 0.0, 0.5);
}
inline QColor textFieldEdge(bool editing) {
    return editing ? rgb(0.32, 0.316, 0.316, 0.45) : rgb(0.25, 0.246, 0.246, 0.45);
}
inline QColor textFieldBody(bool editing) {
    return grey(editing ? 0.11 : 0.08);
}
inline QColor textFieldFace(bool editing) {
    return editing ? rgb(0.18, 0.176, 0.176) : rgb(0.105, 0.101, 0.101);
}

// What a user must know about a control beside it: a refused entry, an
// effect left out of the sound.
inline QColor warningText() {
    return rgb(0.94, 0.69, 0.25);
}

inline QColor lineDark() {
    return grey(0.1);
}
inline QColor lineLight() {
    return grey(0.2);
}

inline QColor scrollerBackground() {
    return rgb(0.132, 0.128, 0.128);
}
inline QColor scrollerKnob() {
    return grey(0.5);
}
inline QColor scrollCorner() {
    return rgb(0.132, 0.128, 0.128);
}
inline QColor splitDivider() {
    return grey(0.1);
}

inline QColor tableRowEven() {
    return rgb(0.146, 0.142, 0.142);
}
inline QColor tableRowOdd() {
    return rgb(0.132, 0.128, 0.128);
}
// Selected rows of a focused table or outline, and the drop indicators.
inline QColor outlineSelection() {
    return rgb(0.227, 0.467, 0.639);
}
// Selected rows while the outline does not hold the focus.
inline QColor outlineSelectionInactive() {
    return grey(0.3);
}
inline QColor tableGrid() {
    return grey(2.0 / 3.0);
}
inline QColor headerTop() {
    return rgb(0.152, 0.148, 0.148);
}
inline QColor headerBottom() {
    return rgb(0.254, 0.25, 0.25);
}
inline QColor headerSeparator() {
    return grey(0.05);
}

inline QColor inspectorTop() {
    return rgb(0.2, 0.192, 0.192);
}
inline QColor inspectorBottom() {
    return rgb(0.161, 0.153, 0.153);
}

// The background of the dark windows behind the controls.
inline QColor windowBackground() {
    return rgb(0.176, 0.172, 0.172);
}

// `palette` with the dark window's ground and the text fields' colours, for
// windows built from stock Qt widgets.
inline QPalette darkPalette(QPalette palette) {
    palette.setColor(QPalette::Window, windowBackground());
    palette.setColor(QPalette::WindowText, textFieldText());
    palette.setColor(QPalette::Base, textFieldBody(false));
    palette.setColor(QPalette::Text, textFieldText());
    palette.setColor(QPalette::Highlight, textFieldSelection());
    return palette;
}

// The dark palette made whole for stock dialogs and lists (file panels, a
// pop-up's list): buttons, bevels, selected rows and greyed-out entries too.
inline QPalette darkDialogPalette(QPalette palette) {
    palette = darkPalette(palette);
    palette.setColor(QPalette::AlternateBase, tableRowEven());
    palette.setColor(QPalette::Button, inspectorTop());
    palette.setColor(QPalette::ButtonText, textFieldText());
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, outlineSelection());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, grey(0.32));
    palette.setColor(QPalette::Midlight, grey(0.26));
    palette.setColor(QPalette::Mid, grey(0.14));
    palette.setColor(QPalette::Dark, lineDark());
    palette.setColor(QPalette::Shadow, grey(0.0));
    palette.setColor(QPalette::ToolTipBase, inspectorTop());
    palette.setColor(QPalette::ToolTipText, textFieldText());
    palette.setColor(QPalette::PlaceholderText, grey(0.5));
    palette.setColor(QPalette::Link, rgb(0.45, 0.68, 0.9));
    palette.setColor(QPalette::Inactive, QPalette::Highlight, outlineSelectionInactive());
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, grey(0.45));
    }
    return palette;
}

// Every menu's colours (the menu bar's, contextual and pop-up menus): the
// dark dialogs' with a ground a step lighter than the window's, so a menu
// stands off it, and greyed-out entries without the light emboss the
// style gives them on a light ground.
inline QPalette darkMenuPalette(QPalette palette) {
    palette = darkDialogPalette(palette);
    palette.setColor(QPalette::Window, inspectorTop());
    palette.setColor(QPalette::Base, inspectorTop());
    palette.setColor(QPalette::Disabled, QPalette::Light, Qt::transparent);
    return palette;
}

} // namespace KivColors
