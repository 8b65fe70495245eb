// Renders every skinned control in each state into PNG files under the build
// tree's gallery folder, at 1x and 2x. The pictures are for people judging the
// look; the test checks that focus reached each control and that disabling
// shows.
#include "support/Gallery.h"

#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/PondraProgressView.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornScroller.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/drawing/KivColors.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

#include <functional>
#include <memory>
#include <vector>

namespace {

enum class State { Enabled, Disabled, Pressed, Focus };
constexpr State kStates[] = {State::Enabled, State::Disabled, State::Pressed, State::Focus};
const char* const kStateNames[] = {"Enabled", "Disabled", "Pressed", "Focus"};

struct Row {
    const char* name;
    QSize size;
    std::function<QWidget*(QWidget* host, State state)> make;
    // Progress views and scrollers look the same when disabled.
    bool dimsWhenDisabled = true;
};

template <typename W>
W* applyState(W* widget, State state) {
    widget->setEnabled(state != State::Disabled);
    return widget;
}

std::vector<Row> controlRows() {
    auto button = [](const char* title, KivControlSize size,
                     std::function<void(VornButton&)> extra) {
        return [=](QWidget* host, State state) {
            auto* b = applyState(new VornButton(QString::fromUtf8(title), host), state);
            b->setControlSize(size);
            b->setDown(state == State::Pressed);
            if (extra) {
                extra(*b);
            }
            return static_cast<QWidget*>(b);
        };
    };
    auto popUp = [](QStringList items, KivControlSize size, bool pullDown) {
        return [=](QWidget* host, State state) {
            auto* p = applyState(new VornPopUpButton(host), state);
            p->addItems(items);
            p->setControlSize(size);
            p->setPullsDown(pullDown);
            p->setHighlighted(state == State::Pressed);
            return static_cast<QWidget*>(p);
        };
    };
    auto check = [](const char* title, Qt::CheckState checkState) {
        return [=](QWidget* host, State state) {
            auto* c = applyState(new VornCheckBox(QString::fromUtf8(title), host), state);
            c->setTristate(checkState == Qt::PartiallyChecked);
            c->setCheckState(checkState);
            c->setDown(state == State::Pressed);
            return static_cast<QWidget*>(c);
        };
    };
    auto slider = [](KivControlSize size, int value) {
        return [=](QWidget* host, State state) {
            auto* s = applyState(new VornSlider(Qt::Horizontal, host), state);
            s->setControlSize(size);
            s->setRange(0, 100);
            s->setValue(value);
            s->setSliderDown(state == State::Pressed);
            return static_cast<QWidget*>(s);
        };
    };
    return {
        {"Push button", {150, 32}, button("Play", KivControlSize::Regular, nullptr)},
        {"Default button",
         {150, 32},
         button("Save", KivControlSize::Regular, [](VornButton& b) { b.setDefault(true); })},
        {"Overlay colour",
         {150, 32},
         button("Solo", KivControlSize::Regular,
                [](VornButton& b) { b.setOverlayColor(QColor::fromRgbF(0.95, 0.42, 0.2, 0.35)); })},
        {"Small button", {150, 26}, button("Edit", KivControlSize::Small, nullptr)},
        {"Menu button",
         {150, 32},
         [](QWidget* host, State state) {
             auto* b =
                 applyState(new PondraMenuButton(QStringLiteral("Effects \u25BE"), host), state);
             b->setDown(state == State::Pressed);
             return static_cast<QWidget*>(b);
         }},
        {"Pop-up",
         {170, 28},
         popUp({QStringLiteral("Built-in Output")}, KivControlSize::Regular, false)},
        {"Pull-down",
         {170, 28},
         popUp({QStringLiteral("Add Effect")}, KivControlSize::Regular, true)},
        {"Small pop-up",
         {170, 24},
         popUp({QStringLiteral("Channels 1-2")}, KivControlSize::Small, false)},
        {"Check box on", {150, 22}, check("Loop", Qt::Checked)},
        {"Check box off", {150, 22}, check("Hold", Qt::Unchecked)},
        {"Check box mixed", {150, 22}, check("Solo", Qt::PartiallyChecked)},
        {"Slider", {170, 22}, slider(KivControlSize::Regular, 65)},
        {"Small slider", {170, 18}, slider(KivControlSize::Small, 30)},
        {"Text field",
         {170, 24},
         [](QWidget* host, State state) {
             auto* f = applyState(new VornTextField(QStringLiteral("Intro Music"), host), state);
             return static_cast<QWidget*>(f);
         }},
        {"Progress",
         {170, 12},
         [](QWidget* host, State state) {
             auto* p = applyState(new PondraProgressView(host), state);
             p->setProgress(state == State::Pressed ? 1.0 : 0.62);
             return static_cast<QWidget*>(p);
         },
         false},
        {"Scroller",
         {170, 11},
         [](QWidget* host, State state) {
             auto* s = applyState(new VornScroller(Qt::Horizontal, host), state);
             s->setRange(0, 100);
             s->setPageStep(60);
             s->setValue(state == State::Pressed ? 100 : 30);
             s->setSliderDown(state == State::Pressed);
             return static_cast<QWidget*>(s);
         },
         false},
    };
}

class GalleryTest : public ::testing::Test {
protected:
    GalleryTest() {
        host.resize(400, 200);
        host.show();
        QApplication::setActiveWindow(&host);
    }

    // One control in one state, drawn into the painter at `at`.
    QImage renderCell(const Row& row, State state, QPainter& painter, QPointF at) {
        std::unique_ptr<QWidget> widget(row.make(&host, state));
        widget->resize(row.size);
        widget->show();
        if (state == State::Focus) {
            widget->setFocus();
            EXPECT_TRUE(widget->hasFocus()) << row.name;
        }
        widget->render(&painter, at.toPoint(), QRegion(), QWidget::DrawChildren);
        QImage alone(row.size, QImage::Format_ARGB32_Premultiplied);
        alone.fill(Qt::transparent);
        widget->render(&alone, QPoint(), QRegion(), QWidget::DrawChildren);
        return alone;
    }

    QWidget host;
};

} // namespace

TEST_F(GalleryTest, EveryControlInEveryState) {
    const std::vector<Row> rows = controlRows();
    constexpr int labelWidth = 130;
    constexpr int cellWidth = 200;
    constexpr int rowGap = 16;
    constexpr int top = 40;
    int height = top;
    for (const Row& row : rows) {
        height += row.size.height() + rowGap;
    }
    const QSize size(labelWidth + 4 * cellWidth + 20, height + 10);
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = galleryCanvas(size, ratio);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (int s = 0; s < 4; ++s) {
            galleryCaption(painter, QRectF(labelWidth + s * cellWidth + 10, 10, cellWidth, 20),
                           QString::fromLatin1(kStateNames[s]), Qt::AlignLeft | Qt::AlignVCenter,
                           0.85);
        }
        painter.fillRect(QRectF(10, 34, size.width() - 20, 1), KivColors::lineDark());
        painter.fillRect(QRectF(10, 35, size.width() - 20, 1), KivColors::lineLight());
        int y = top + rowGap / 2;
        for (const Row& row : rows) {
            galleryCaption(painter, QRectF(14, y, labelWidth - 14, row.size.height()),
                           QString::fromLatin1(row.name), Qt::AlignLeft | Qt::AlignVCenter);
            std::vector<QImage> looks;
            for (int s = 0; s < 4; ++s) {
                looks.push_back(renderCell(row, kStates[s], painter,
                                           QPointF(labelWidth + s * cellWidth + 10, y)));
            }
            if (row.dimsWhenDisabled) {
                EXPECT_NE(looks[0], looks[1]) << row.name;
            }
            y += row.size.height() + rowGap;
        }
        painter.end();
        const QString file = QStringLiteral("controls@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}
