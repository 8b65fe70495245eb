// Renders every skinned control in each state, the views, and every named
// image into PNG files under the build tree's gallery folder, at 1x and 2x.
// The pictures are for people judging the look; the test checks they were
// written, that focus reached each control and that disabling shows.
#include "support/Gallery.h"

#include "KivUI/OutlineTree.h"
#include "KivUI/controls/KivBoxView.h"
#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/PondraProgressView.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornLineView.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornScrollView.h"
#include "KivUI/controls/VornScroller.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornSplitView.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/controls/VornWellView.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivImageTable.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/outline/KivOutlineTextRowView.h"
#include "KivUI/outline/KivOutlineView.h"
#include "KivUI/outline/KivTableView.h"
#include "KivUI/views/CueInspectorView.h"
#include "KivUI/views/PondraContentView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QStandardItemModel>
#include <QVBoxLayout>

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

QImage canvas(QSize size, qreal ratio) {
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(KivColors::windowBackground());
    return image;
}

void caption(QPainter& painter, const QRectF& rect, const QString& text, int alignment,
             qreal white = 0.62) {
    painter.setPen(KivColors::grey(white));
    painter.drawText(rect, alignment, text);
}

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
        QImage image = canvas(size, ratio);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (int s = 0; s < 4; ++s) {
            caption(painter, QRectF(labelWidth + s * cellWidth + 10, 10, cellWidth, 20),
                    QString::fromLatin1(kStateNames[s]), Qt::AlignLeft | Qt::AlignVCenter, 0.85);
        }
        painter.fillRect(QRectF(10, 34, size.width() - 20, 1), KivColors::lineDark());
        painter.fillRect(QRectF(10, 35, size.width() - 20, 1), KivColors::lineLight());
        int y = top + rowGap / 2;
        for (const Row& row : rows) {
            caption(painter, QRectF(14, y, labelWidth - 14, row.size.height()),
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

namespace {

// A box background: a raised, rounded panel of 31 x 31 pixels whose middle
// is flat, since the middle piece is tiled.
QImage boxArt() {
    QImage image(31, 31, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(KivColors::grey(0.235));
    painter.setPen(QPen(KivColors::grey(0.07), 1));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 30, 30), 6, 6);
    painter.setPen(QPen(KivColors::grey(1, 0.12), 1));
    painter.drawLine(QPointF(6, 1.5), QPointF(25, 1.5));
    return image;
}

QLabel* label(const QString& text, QWidget* parent, qreal white = 0.75) {
    auto* l = new QLabel(text, parent);
    QPalette colours = l->palette();
    colours.setColor(QPalette::WindowText, KivColors::grey(white));
    l->setPalette(colours);
    return l;
}

// A workspace-like window: the inspector beside a split of the effect table
// over a well, and the bottom bar with its pattern and buttons.
std::unique_ptr<QWidget> makeViewsWindow() {
    auto window = std::make_unique<PondraContentView>();
    window->resize(760, 520);
    window->setAutoFillBackground(true);
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, KivColors::windowBackground());
    window->setPalette(colours);

    auto* inspector = new CueInspectorView(window.get());
    inspector->setGeometry(0, 0, 260, 457);
    auto* title = label(QStringLiteral("Cue"), inspector, 0.9);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setGeometry(14, 12, 200, 18);
    label(QStringLiteral("Name"), inspector)->setGeometry(14, 42, 60, 24);
    (new VornTextField(QStringLiteral("Thunder Crack"), inspector))->setGeometry(80, 42, 166, 24);
    label(QStringLiteral("Volume"), inspector)->setGeometry(14, 78, 60, 22);
    auto* volume = new VornSlider(Qt::Horizontal, inspector);
    volume->setRange(0, 100);
    volume->setValue(72);
    volume->setGeometry(78, 78, 170, 22);
    label(QStringLiteral("Output"), inspector)->setGeometry(14, 112, 60, 28);
    auto* output = new VornPopUpButton(inspector);
    output->addItem(QStringLiteral("Channels 1-2"));
    output->setGeometry(77, 112, 172, 28);
    auto* line = new VornLineView(inspector);
    line->setGeometry(14, 152, 232, 2);
    auto* loop = new VornCheckBox(QStringLiteral("Loop"), inspector);
    loop->setChecked(true);
    loop->setGeometry(14, 164, 100, 22);
    (new VornCheckBox(QStringLiteral("Hold"), inspector))->setGeometry(14, 190, 100, 22);
    (new VornCheckBox(QStringLiteral("Solo"), inspector))->setGeometry(130, 164, 100, 22);
    auto* duck = new VornCheckBox(QStringLiteral("Ducking"), inspector);
    duck->setChecked(true);
    duck->setEnabled(false);
    duck->setGeometry(130, 190, 110, 22);
    auto* effects = new PondraMenuButton(QStringLiteral("Effects \u25BE"), inspector);
    effects->setGeometry(8, 224, 120, 32);
    auto* apply = new VornButton(QStringLiteral("Apply"), inspector);
    apply->setDefault(true);
    apply->setGeometry(132, 224, 120, 32);
    auto* progress = new PondraProgressView(inspector);
    progress->setProgress(0.4);
    progress->setGeometry(14, 270, 232, 12);
    auto* vertical = new VornLineView(window.get());
    vertical->setGeometry(260, 0, 2, 457);

    auto* split = new VornSplitView(Qt::Vertical, window.get());
    split->setGeometry(262, 0, 498, 457);
    auto* table = new KivTableView;
    auto* model = new QStandardItemModel(0, 3, table);
    model->setHorizontalHeaderLabels(
        {QStringLiteral("Effect"), QStringLiteral("Maker"), QStringLiteral("Bypass")});
    for (const auto& [effect, maker, bypass] :
         std::vector<std::tuple<const char*, const char*, const char*>>{
             {"Reverb", "mda", "Off"},
             {"Delay", "mda", "Off"},
             {"Compressor", "Calf", "On"},
             {"Equalizer", "x42", "Off"},
             {"Limiter", "x42", "Off"},
             {"Chorus", "mda", "On"},
             {"Phaser", "mda", "Off"},
             {"Overdrive", "mda", "Off"},
             {"Leveller", "mda", "Off"},
             {"Tremolo", "mda", "Off"},
         }) {
        model->appendRow({new QStandardItem(QString::fromLatin1(effect)),
                          new QStandardItem(QString::fromLatin1(maker)),
                          new QStandardItem(QString::fromLatin1(bypass))});
    }
    table->setModel(model);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(0, 200);
    table->setColumnWidth(1, 160);
    table->selectRow(2);
    split->addWidget(table);
    auto* lower = new QWidget;
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(14, 14, 14, 14);
    lowerLayout->setSpacing(14);
    auto* well = new VornWellView;
    auto* wellLayout = new QVBoxLayout(well);
    wellLayout->addWidget(label(QStringLiteral("Well view"), well));
    lowerLayout->addWidget(well);
    auto* box = new KivBoxView;
    box->setBackgroundImage(boxArt());
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(label(QStringLiteral("Box view"), box));
    lowerLayout->addWidget(box);
    auto* scroll = new VornScrollView;
    auto* long_ = new QWidget;
    long_->resize(400, 400);
    auto* longLayout = new QVBoxLayout(long_);
    longLayout->addWidget(label(QStringLiteral("Scroll view"), long_), 0, Qt::AlignTop);
    scroll->setWidget(long_);
    scroll->viewport()->setAutoFillBackground(true);
    QPalette dark = scroll->viewport()->palette();
    dark.setColor(QPalette::Window, KivColors::grey(0.1));
    scroll->viewport()->setPalette(dark);
    lowerLayout->addWidget(scroll);
    split->addWidget(lower);
    split->setSizes({270, 175});

    auto* pause = new QLabel(window.get());
    pause->setPixmap(
        QPixmap::fromImage(KivNamedImages::named(QStringLiteral("pause_button_normal"), 2.0)));
    pause->setGeometry(14, 474, 36, 30);
    auto* ducking = new QLabel(window.get());
    ducking->setPixmap(QPixmap::fromImage(
        KivNamedImages::named(QStringLiteral("ducking_button_highlighted"), 2.0)));
    ducking->setGeometry(58, 474, 36, 30);
    label(QStringLiteral("Master"), window.get())->setGeometry(120, 478, 60, 22);
    auto* master = new VornSlider(Qt::Horizontal, window.get());
    master->setRange(0, 100);
    master->setValue(80);
    master->setGeometry(176, 478, 200, 22);
    auto* device = new VornPopUpButton(window.get());
    device->addItem(QStringLiteral("Built-in Output"));
    device->setGeometry(560, 475, 186, 28);
    return window;
}

} // namespace

TEST_F(GalleryTest, TheViewsInAWorkspaceLikeWindow) {
    const std::unique_ptr<QWidget> window = makeViewsWindow();
    window->show();
    QApplication::setActiveWindow(window.get());
    QCoreApplication::processEvents();
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = canvas(window->size(), ratio);
        window->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QString file = QStringLiteral("views@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}

TEST_F(GalleryTest, EveryNamedImage) {
    constexpr int columns = 5;
    constexpr QSize cell(200, 84);
    std::vector<const KivImageEntry*> entries;
    for (auto* entry = KivImageTableBegin(); entry != KivImageTableEnd(); ++entry) {
        entries.push_back(entry);
    }
    const int rows = static_cast<int>((entries.size() + columns - 1) / columns);
    const QSize size(columns * cell.width() + 20, rows * cell.height() + 20);
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = canvas(size, ratio);
        QPainter painter(&image);
        QFont small = painter.font();
        small.setPointSizeF(7);
        painter.setFont(small);
        for (size_t i = 0; i < entries.size(); ++i) {
            const QPointF origin(10 + (i % columns) * cell.width(),
                                 10 + (i / columns) * cell.height());
            const QString name = QString::fromLatin1(entries[i]->name);
            QSizeF shown = entries[i]->size;
            // A strip of square frames (the spinner) shows its first frame.
            if (shown.height() >= 2 * shown.width()) {
                shown.setHeight(shown.width());
            }
            shown.setHeight(std::min<qreal>(shown.height(), 60));
            const QImage art = KivNamedImages::named(name, ratio);
            const QRectF source(QPointF(), shown * ratio);
            const QPointF at(origin.x() + (cell.width() - shown.width()) / 2,
                             origin.y() + (62 - shown.height()) / 2);
            painter.drawImage(QRectF(at, shown), art, source);
            caption(painter, QRectF(origin.x(), origin.y() + 64, cell.width(), 16), name,
                    Qt::AlignHCenter | Qt::AlignTop, 0.55);
        }
        painter.end();
        const QString file = QStringLiteral("images@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}

namespace {

// Shows a drop indicator without a real drag.
class DropOutlineView : public KivOutlineView {
public:
    using KivOutlineView::dragMoveEvent;
};

} // namespace

TEST_F(GalleryTest, AnOutlineWithExpandedAndCollapsedGroupsAndADropLine) {
    OutlineTree tree;
    OutlineNode* factory = tree.root.add("Factory", true);
    factory->add("Small Room");
    factory->add("Large Hall");
    OutlineNode* system = tree.root.add("System", true);
    OutlineNode* theatre = system->add("Theatre", true);
    theatre->add("Stage Left");
    theatre->add("Stage Right");
    system->add("Voice Over", true)->add("Booth");
    OutlineNode* user = tree.root.add("User", true);
    OutlineNode* live = user->add("Live", true);
    live->add("Live_Hall");
    live->add("Matinee");
    user->add("Rehearsal");
    user->add("Thunder Tail");
    tree.root.add("Empty Group", true);
    tree.startExpanded = {system, theatre, user, live};

    VornScrollView area;
    area.resize(300, 340);
    auto* view = new DropOutlineView;
    view->setRowViewClass(KivOutlineTextRowView::rowClass(
        [](KivOutlineItem item) { return QString::fromStdString(OutlineTree::node(item)->name); }));
    area.setWidget(view);
    area.show();
    view->setDataSource(&tree);
    view->setAllowsMultipleSelection(true);
    view->selectItems({live->children[0].get(), live->children[1].get()});
    view->setFocus();
    QApplication::setActiveWindow(&area);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->numberOfRows(), 13);
    // Into "User", between "Rehearsal" and "Thunder Tail".
    QMimeData dragged;
    QDragMoveEvent move(QPoint(150, 11 * 22 + 3), Qt::MoveAction, &dragged, Qt::LeftButton,
                        Qt::NoModifier);
    view->dragMoveEvent(&move);
    EXPECT_TRUE(move.isAccepted());
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = canvas(area.size(), ratio);
        area.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QString file = QStringLiteral("outline@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}
