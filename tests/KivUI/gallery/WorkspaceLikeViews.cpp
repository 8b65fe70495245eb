// The skinned views together in a window laid out like the workspace window,
// drawn to the gallery at 1x and 2x.
#include "KivUI/controls/KivBoxView.h"
#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/PondraProgressView.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornLineView.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornScrollView.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornSplitView.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/controls/VornWellView.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/outline/KivTableView.h"
#include "KivUI/views/CueInspectorView.h"
#include "KivUI/views/PondraContentView.h"
#include "support/Gallery.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <memory>

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

TEST(WidgetKitGallery, TheViewsInAWorkspaceLikeWindow) {
    const std::unique_ptr<QWidget> window = makeViewsWindow();
    window->show();
    QApplication::setActiveWindow(window.get());
    QCoreApplication::processEvents();
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = galleryCanvas(window->size(), ratio);
        window->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QString file = QStringLiteral("views@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}
