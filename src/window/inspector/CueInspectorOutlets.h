#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

// What every column of the cue inspector builds its controls with: a field's
// label in the pane's colours, and an outlet known by its object name.
namespace CueInspectorOutlets {

inline QLabel* fieldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #d0d0d0; font-size: 11px;"));
    return label;
}

// The object name is the outlet's name.
template <typename Widget>
Widget* outlet(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace CueInspectorOutlets
