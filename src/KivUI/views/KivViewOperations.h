#pragma once

#include <QImage>
#include <QRect>

class QWidget;

// Operations on a widget and its children that the windows share.
struct KivViewOperations {
    // Ends, without reporting it, the editing of each direct child that is
    // being edited (a text field with the focus), then of the view itself.
    // Grandchildren are left alone.
    static void abortEditing(QWidget& view);
    // True when `other` is the view or its parent, else the parent's answer;
    // false at a window.
    static bool isContainedInSuperview(const QWidget& view, const QWidget* other);
    // True when the view's window is active and its focus widget lies in the view.
    static bool containsFirstResponder(const QWidget& view);
    // The view and its visible children drawn into a transparent image of the
    // rectangle (view coordinates); null when hidden or the rectangle is empty.
    static QImage drawWithSubviews(QWidget& view, const QRect& rect, qreal devicePixelRatio = 1.0);
    // Enabled (or editable) set on the view and every descendant that has it.
    static void setContentsEnabled(QWidget& view, bool enabled);
    static void setContentsEditable(QWidget& view, bool editable);
};
