// The preset manager sheet with a user folder open and a preset selected,
// drawn to the gallery at 1x and 2x.
#include "KivUI/drawing/KivColors.h"
#include "effecteditor/PresetManageSheetFixture.h"
#include "support/Gallery.h"

#include <QApplication>
#include <QImage>

TEST_F(PresetManageSheetTest, TheSheetWithAFolderOpenAndAPresetSelected) {
    folder.write("user/Live/Matinee.aupreset");
    folder.write("user/Rooms/Booth.aupreset");
    sheet.begin();
    table().expandItem(item(folder.path("user/Live")));
    table().selectItem(item(stage));
    table().setFocus();
    QApplication::setActiveWindow(&window);
    QCoreApplication::processEvents();
    for (qreal ratio : {1.0, 2.0}) {
        QImage image(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(KivColors::windowBackground());
        window.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QString file = QStringLiteral("preset-manager@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}
